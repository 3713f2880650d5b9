// pathpeak: the kernel on a 512-by-512 map with the pairs boxreach makes for a radius of 5 (121
// pairs per pixel away from the border, about 31 M pairs), without a mask and with a mask of
// 16-by-16 labelled blocks; and, apart, the pass over the pattern that the gateway makes before
// it trusts the pattern. A sample is one value read on a path, so the samples of a pair are the
// larger of its row and column distances; self pairs and pairs inside a labelled block take none.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "kernels.h"

namespace {

constexpr int32_t kSide = 512;
constexpr int32_t kRadius = 5;
constexpr int32_t kBlock = 16;

struct Scene {
  int32_t pixels = 0, pairs = 0;
  std::vector<uint32_t> index, start;
  std::vector<double> map, mask, weight;
  int64_t samples[2] = {0, 0};  // without and with the mask
};

// Samples the kernel takes for the pattern, counted from the pairs' distances.
int64_t countSamples(const Scene& s, const double* mask) {
  int64_t total = 0;
  for (int32_t p = 0; p < s.pixels; ++p) {
    const int32_t rp = p % kSide, cp = p / kSide;
    for (uint32_t j = s.start[size_t(p)]; j < s.start[size_t(p) + 1]; ++j) {
      const int32_t q = static_cast<int32_t>(s.index[j]);
      if (q == p || (mask && mask[p] > 0 && mask[q] == mask[p])) continue;
      const int32_t dr = std::abs(q % kSide - rp), dc = std::abs(q / kSide - cp);
      total += dr > dc ? dr : dc;
    }
  }
  return total;
}

// Built once, touched before any timing.
Scene& scene() {
  static std::unique_ptr<Scene> s;
  if (s) return *s;
  s = std::make_unique<Scene>();
  const int32_t pixels = kSide * kSide;
  const int32_t window = (2 * kRadius + 1) * (2 * kRadius + 1);
  s->pixels = pixels;
  s->index.resize(size_t(pixels) * size_t(window));
  s->start.resize(size_t(pixels) + 1);
  s->pairs = boxreachKernel(kRadius, kRadius, kSide, kSide, nullptr, nullptr, s->index.data(),
                            s->start.data());
  s->index.resize(size_t(s->pairs));
  // An edge-like map: smooth ramps in [0, 1) crossed by a few strong lines, and labels that
  // are constant over blocks.
  s->map.resize(size_t(pixels));
  s->mask.resize(size_t(pixels));
  for (int32_t p = 0; p < pixels; ++p) {
    const int32_t r = p % kSide, c = p / kSide;
    double v = double((r * 7 + c * 13) % 97) / 97.0 * 0.2;
    if (r % 61 == 0 || c % 47 == 0 || (r + c) % 89 == 0) v = 0.9;
    s->map[size_t(p)] = v;
    s->mask[size_t(p)] = 1.0 + double((r / kBlock) + (c / kBlock) * (kSide / kBlock));
  }
  s->weight.assign(size_t(s->pairs), 0.0);
  s->samples[0] = countSamples(*s, nullptr);
  s->samples[1] = countSamples(*s, s->mask.data());
  return *s;
}

// Argument: 1 with the mask of labelled blocks.
void PathpeakKernel(benchmark::State& state) {
  Scene& s = scene();
  const bool masked = state.range(0) != 0;
  for (auto _ : state) {
    pathpeakKernel(kSide, s.pixels, s.map.data(), s.index.data(), s.start.data(),
                   masked ? s.mask.data() : nullptr, s.weight.data(), s.pairs);
    benchmark::ClobberMemory();
  }
  const double samples = double(s.samples[masked ? 1 : 0]);
  state.SetItemsProcessed(int64_t(s.pairs) * int64_t(state.iterations()));
  state.counters["pairs"] = double(s.pairs);
  state.counters["samples"] = samples;
  state.counters["samples_per_s"] =
      benchmark::Counter(samples, benchmark::Counter::kIsIterationInvariantRate);
  // The inverted rate: seconds per sample, shown in ns.
  state.counters["time_per_sample"] = benchmark::Counter(
      samples, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(PathpeakKernel)->ArgName("mask")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The gateway's pass over the same pattern: every range's bounds and entries.
void PathpeakPatternCheck(benchmark::State& state) {
  Scene& s = scene();
  for (auto _ : state) {
    int fault = pathpeakPatternFault(s.pixels, s.index.data(), s.start.data(), s.pairs);
    benchmark::DoNotOptimize(fault);
  }
  const double samples = double(s.samples[0]);
  state.SetItemsProcessed(int64_t(s.pairs) * int64_t(state.iterations()));
  state.SetBytesProcessed(int64_t(4) * (int64_t(s.pairs) + s.pixels + 1) *
                          int64_t(state.iterations()));
  // Per sample of the unmasked kernel, to set beside its own cost.
  state.counters["time_per_sample"] = benchmark::Counter(
      samples, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(PathpeakPatternCheck)->Unit(benchmark::kMillisecond);

}  // namespace
