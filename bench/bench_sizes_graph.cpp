// The kernels that work on a pair pattern (pathpeak, packcols, sidescale), at the grid sizes and
// radii of the results table, on the patterns boxreach makes with and without its masks.
#include <cstdlib>

#include "bench_support.h"

namespace {

// Entries a case may hold: the weights, the copies and the pattern must fit beside the other
// work on this machine.
constexpr int64_t kMaxGraphEntries = int64_t(1) << 28;

// Samples the walks take: max(|dr|, |dc|) per pair, none for self pairs or equal positive labels.
double samplesOf(const bench::Pattern& pat, const double* labels) {
  double samples = 0;
  const int32_t m = pat.side;
  for (int64_t p = 0; p < pat.pixels; ++p) {
    const int32_t rp = int32_t(p % m), cp = int32_t(p / m);
    for (uint32_t j = pat.start[size_t(p)]; j < pat.start[size_t(p + 1)]; ++j) {
      const int32_t q = int32_t(pat.index[j]);
      if (q == p) continue;
      if (labels && labels[p] > 0 && labels[q] == labels[p]) continue;
      const int32_t dr = std::abs(q % m - rp), dc = std::abs(q / m - cp);
      samples += dr > dc ? dr : dc;
    }
  }
  return samples;
}

void Pathpeak(benchmark::State& state) {
  const auto side = static_cast<int32_t>(state.range(0));
  const bool masked = state.range(2) != 0;
  const bench::Pattern& pat = bench::patternFor(side, int32_t(state.range(1)), masked);
  const bench::Buffer<double> map = bench::valueMap(side);
  bench::Buffer<double> labels;
  if (masked) labels = bench::blockLabels(side);
  bench::Buffer<double> weight(size_t(pat.pairs));
  for (auto _ : state) {
    pathpeakKernel(side, int32_t(pat.pixels), map.data(), pat.index.data(), pat.start.data(),
                   masked ? labels.data() : nullptr, weight.data(), int32_t(pat.pairs));
    benchmark::ClobberMemory();
  }
  const double samples = samplesOf(pat, masked ? labels.data() : nullptr);
  bench::setCounters(state, samples, 0);
  state.counters["pairs"] = benchmark::Counter(double(pat.pairs));
  state.counters["ns_per_sample"] =
      benchmark::Counter(samples * double(state.iterations()) * 1e-9,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(Pathpeak)->Apply([](benchmark::internal::Benchmark* b) {
  bench::gridCases(b, kMaxGraphEntries);
});

// The pattern with one weight per entry, as pathpeak leaves it for packcols.
void Packcols(benchmark::State& state) {
  const bench::Pattern& pat =
      bench::patternFor(int32_t(state.range(0)), int32_t(state.range(1)), state.range(2) != 0);
  const size_t e = size_t(pat.pairs), cols = size_t(pat.pixels);
  bench::Buffer<double> values(e);
  for (size_t k = 0; k < e; ++k) values[k] = 0.5 + double(k % 7);
  bench::Buffer<mwIndex> ir(e), jc(cols + 1);
  bench::Buffer<double> pr(e);
  for (auto _ : state) {
    packcolsKernel(pat.index.data(), pat.start.data(), values.data(), int32_t(e), int32_t(cols),
                   ir.data(), jc.data(), pr.data());
    benchmark::ClobberMemory();
  }
  // Reads 4-byte indices and starts and the values; writes host indices and the values.
  const double bytes =
      (4.0 + 8.0 + sizeof(mwIndex) + 8.0) * double(e) + (4.0 + sizeof(mwIndex)) * double(cols + 1);
  bench::setCounters(state, double(e), bytes);
}
BENCHMARK(Packcols)->Apply([](benchmark::internal::Benchmark* b) {
  bench::gridCases(b, kMaxGraphEntries);
});

// S is the weight matrix of the pattern, scaled on both sides as a normalisation does.
void Sidescale(benchmark::State& state) {
  const bench::Pattern& pat =
      bench::patternFor(int32_t(state.range(0)), int32_t(state.range(1)), state.range(2) != 0);
  const size_t e = size_t(pat.pairs), n = size_t(pat.pixels);
  bench::Buffer<mwIndex> sjc(n + 1), sir(e), rjc(n + 1), rir(e);
  bench::Buffer<double> sre(e), rre(e), rowF(n), colF(n);
  for (size_t j = 0; j <= n; ++j) sjc[j] = pat.start[j];
  for (size_t k = 0; k < e; ++k) {
    sir[k] = pat.index[k];
    sre[k] = 0.25 + double(k % 5);
  }
  for (size_t k = 0; k < n; ++k) {
    rowF[k] = 1.0 / double(k % 9 + 1);
    colF[k] = 1.0 + double(k % 3);
  }
  for (auto _ : state) {
    sidescaleKernel(int32_t(n), sjc.data(), sir.data(), sre.data(), nullptr, rowF.data(),
                    colF.data(), rjc.data(), rir.data(), rre.data(), nullptr);
    benchmark::ClobberMemory();
  }
  // Reads S's starts, indices and values and both factors; writes R's starts, indices, values.
  const double bytes = 2.0 * (sizeof(mwIndex) + 8.0) * double(e) +
                       2.0 * sizeof(mwIndex) * double(n + 1) + 16.0 * double(n);
  bench::setCounters(state, double(e), bytes);
}
BENCHMARK(Sidescale)->Apply([](benchmark::internal::Benchmark* b) {
  bench::gridCases(b, kMaxGraphEntries);
});

}  // namespace
