// Kernel benchmarks: the memory copy bandwidth of this machine, measured in the same binary, as
// the yardstick for the memory-bound kernels. The kernels' own benchmarks are in bench_*.cpp.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

static void MemoryCopy(benchmark::State& state) {
  const size_t bytes = static_cast<size_t>(state.range(0));
  std::vector<char> src(bytes, 1), dst(bytes, 0);
  for (auto _ : state) {
    std::memcpy(dst.data(), src.data(), bytes);
    benchmark::DoNotOptimize(dst.data());
    benchmark::ClobberMemory();
  }
  // Bytes read plus bytes written, as the kernels count theirs.
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 2 *
                          static_cast<int64_t>(bytes));
}
BENCHMARK(MemoryCopy)->Arg(64 << 20)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
