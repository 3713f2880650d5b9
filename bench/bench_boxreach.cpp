// boxreach kernel: window lists of square grids, with and without both masks. Bytes count the
// lists and starts written and the masks read once.
#include "bench_support.h"

static void Boxreach(benchmark::State& state) {
  const auto side = static_cast<int32_t>(state.range(0));
  const auto radius = static_cast<int32_t>(state.range(1));
  const bool masked = state.range(2) != 0;
  const int64_t pixels = int64_t(side) * side;
  bench::Buffer<double> s1, s2;
  if (masked) {
    s1 = bench::discMask(side);
    s2 = bench::bandMask(side);
  }
  bench::Buffer<uint32_t> index(static_cast<size_t>(bench::patternBound(side, radius)));
  bench::Buffer<uint32_t> start(static_cast<size_t>(pixels + 1));
  int32_t total = 0;
  for (auto _ : state) {
    total = boxreachKernel(radius, radius, side, side, masked ? s1.data() : nullptr,
                           masked ? s2.data() : nullptr, index.data(), start.data());
    benchmark::DoNotOptimize(total);
    benchmark::ClobberMemory();
  }
  const double bytes = 4.0 * total + 4.0 * double(pixels + 1) + (masked ? 16.0 * pixels : 0.0);
  bench::setCounters(state, total, bytes);
}
BENCHMARK(Boxreach)->Apply([](benchmark::internal::Benchmark* b) {
  bench::gridCases(b, int64_t(1) << 31);
});
