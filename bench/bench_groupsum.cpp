// groupsum kernel on 2e6 rows of 8 columns with 40 groups, labels drawn at random (every row
// lands in another output row) or in runs of 1000 rows (as sorted or segmented data gives them).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "kernels.h"

namespace {

void GroupsumRows(benchmark::State& state) {
  const int32_t rows = 2000000, cols = 8, groups = 40;
  const bool runs = state.range(0) != 0;
  std::vector<double> data(size_t(rows) * cols), labels(static_cast<size_t>(rows));
  uint64_t s = 0x2545F4914F6CDD1Dull;
  auto next = [&s] {
    s ^= s << 13;
    s ^= s >> 7;
    s ^= s << 17;
    return s;
  };
  for (double& x : data) x = double(next() >> 11) * 0x1.0p-53 - 0.25;
  for (size_t i = 0; i < labels.size(); ++i)
    labels[i] = double((runs ? (i / 1000) * 7 : next()) % groups + 1);
  std::vector<double> out(size_t(groups) * cols);
  for (auto _ : state) {
    std::fill(out.begin(), out.end(), 0.0);  // the kernel adds into the host's zero fill
    groupsumKernel(data.data(), rows, cols, labels.data(), groups, out.data());
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  // Bytes read: the data and the labels once; the output stays in cache.
  const double bytes = 8.0 * double(rows) * (cols + 1);
  state.SetBytesProcessed(static_cast<int64_t>(bytes * double(state.iterations())));
  state.SetItemsProcessed(int64_t(rows) * cols * int64_t(state.iterations()));
}
BENCHMARK(GroupsumRows)->ArgName("runs")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
