// groupsum kernel: one row per pixel of a 512 x 512 or 2048 x 2048 grid, 8 columns, 40 groups,
// with labels drawn at random or given by regions (runs of 32 pixels down a column carry one
// label, as a segmentation gives them).
#include "bench_support.h"

namespace {

constexpr int32_t kCols = 8;
constexpr int32_t kGroups = 40;

void Groupsum(benchmark::State& state) {
  const auto side = static_cast<int32_t>(state.range(0));
  const bool regions = state.range(1) != 0;
  const size_t rows = size_t(side) * size_t(side);
  bench::Buffer<double> data(rows * kCols), labels(rows), out(size_t(kGroups) * kCols);
  uint64_t s = 0x9E3779B97F4A7C15ull;
  for (size_t k = 0; k < data.size(); ++k) {
    s = s * 6364136223846793005ull + 1442695040888963407ull;
    data[k] = double(s >> 11) * 0x1.0p-53 - 0.5;
  }
  for (size_t i = 0; i < rows; ++i) {
    s = s * 6364136223846793005ull + 1442695040888963407ull;
    const size_t r = regions ? (i / 32) * 2654435761u : (s >> 33);
    labels[i] = double(r % kGroups + 1);
  }
  for (auto _ : state) {
    std::memset(out.data(), 0, out.size() * sizeof(double));  // the kernel adds into zeros
    groupsumKernel(data.data(), int32_t(rows), kCols, labels.data(), kGroups, out.data());
    benchmark::ClobberMemory();
  }
  // Reads the data and the labels once; the output stays in cache.
  bench::setCounters(state, double(rows) * kCols, 8.0 * double(rows) * (kCols + 1));
}
BENCHMARK(Groupsum)
    ->ArgsProduct({{512, 2048}, {0, 1}})
    ->ArgNames({"grid", "regions"})
    ->Unit(benchmark::kMillisecond);

}  // namespace
