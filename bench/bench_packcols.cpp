// packcols kernel on the pattern boxreach makes for a 2048 x 2048 grid at radius 3 (about 205
// million entries, 5.7 GB of lists and copies) and for a 512 x 512 grid, with one weight per
// entry.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "kernels.h"

namespace {

void PackcolsGrid(benchmark::State& state) {
  const auto side = static_cast<int32_t>(state.range(0));
  const int32_t radius = 3;
  const int64_t pixels = int64_t(side) * side;
  const int64_t window = (2 * radius + 1) * (2 * radius + 1);
  std::vector<uint32_t> rowIndex(static_cast<size_t>(pixels * window));
  std::vector<uint32_t> colStart(static_cast<size_t>(pixels + 1));
  const int32_t entries = boxreachKernel(radius, radius, side, side, nullptr, nullptr,
                                         rowIndex.data(), colStart.data());
  rowIndex.resize(static_cast<size_t>(entries));
  std::vector<double> values(rowIndex.size());
  for (size_t k = 0; k < values.size(); ++k) values[k] = 0.5 + double(k % 7);
  std::vector<mwIndex> outRowIndex(rowIndex.size()), outColStart(colStart.size());
  std::vector<double> outValues(values.size());
  for (auto _ : state) {
    packcolsKernel(rowIndex.data(), colStart.data(), values.data(), entries,
                   static_cast<int32_t>(pixels), outRowIndex.data(), outColStart.data(),
                   outValues.data());
    benchmark::ClobberMemory();
  }
  // Bytes read plus bytes written: 4-byte lists and the values in, host indices and values out.
  const double bytes = (4.0 + 8.0 + sizeof(mwIndex) + 8.0) * double(entries) +
                       (4.0 + sizeof(mwIndex)) * double(pixels + 1);
  state.SetBytesProcessed(static_cast<int64_t>(bytes * double(state.iterations())));
  state.SetItemsProcessed(int64_t(entries) * int64_t(state.iterations()));
  state.counters["entries"] = double(entries);
}
BENCHMARK(PackcolsGrid)->ArgName("grid")->Arg(512)->Arg(2048)->Unit(benchmark::kMillisecond);

}  // namespace
