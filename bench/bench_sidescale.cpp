// sidescale: the kernel in its four cases, real and complex, on the weight matrix of a 1024-by-1024
// pixel grid with a radius-3 window (49 entries per column away from the border, about 51 M stored
// entries). Bytes counted are those the pass must read and write at the least, to compare with
// MemoryCopy.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "kernels.h"

namespace {

constexpr int32_t kSide = 1024;
constexpr int32_t kRadius = 3;

// S with the pattern boxreach makes, and R's storage, all touched before any timing.
struct Graph {
  int64_t cols = 0, entries = 0;
  std::vector<mwIndex> sJc, sIr, rJc, rIr;
  std::vector<double> sRe, sIm, rRe, rIm, rowFactor, colFactor;
};

Graph& graph() {
  static std::unique_ptr<Graph> g;
  if (g) return *g;
  g = std::make_unique<Graph>();
  const int64_t pixels = int64_t(kSide) * kSide;
  const int64_t window = (2 * kRadius + 1) * (2 * kRadius + 1);
  std::vector<uint32_t> index(static_cast<size_t>(pixels * window));
  std::vector<uint32_t> start(static_cast<size_t>(pixels + 1));
  const int32_t total =
      boxreachKernel(kRadius, kRadius, kSide, kSide, nullptr, nullptr, index.data(), start.data());
  g->cols = pixels;
  g->entries = total;
  const size_t e = static_cast<size_t>(total), n = static_cast<size_t>(pixels);
  g->sJc.assign(start.begin(), start.end());
  g->sIr.assign(index.begin(), index.begin() + static_cast<std::ptrdiff_t>(e));
  g->sRe.resize(e);
  g->sIm.resize(e);
  for (size_t k = 0; k < e; ++k) {
    g->sRe[k] = 0.25 + double(k % 5);
    g->sIm[k] = 0.5 - double(k % 3);
  }
  g->rowFactor.resize(n);
  g->colFactor.resize(n);
  for (size_t k = 0; k < n; ++k) {
    g->rowFactor[k] = 1.0 / double(k % 9 + 1);
    g->colFactor[k] = 1.0 + double(k % 3);
  }
  g->rJc.assign(n + 1, 0);
  g->rIr.assign(e, 0);
  g->rRe.assign(e, 0.0);
  g->rIm.assign(e, 0.0);
  return *g;
}

// Arguments: which factors are present (bit 0 rows, bit 1 columns) and whether S is complex.
void SidescaleKernel(benchmark::State& state) {
  Graph& g = graph();
  const bool rows = state.range(0) & 1, cols = state.range(0) & 2, complex = state.range(1) != 0;
  for (auto _ : state) {
    sidescaleKernel(static_cast<int32_t>(g.cols), g.sJc.data(), g.sIr.data(), g.sRe.data(),
                    complex ? g.sIm.data() : nullptr, rows ? g.rowFactor.data() : nullptr,
                    cols ? g.colFactor.data() : nullptr, g.rJc.data(), g.rIr.data(), g.rRe.data(),
                    complex ? g.rIm.data() : nullptr);
    benchmark::ClobberMemory();
  }
  // S's starts, indices and value parts read, R's written; each factor read once.
  const double parts = complex ? 2.0 : 1.0;
  const double bytes = 2.0 * (sizeof(mwIndex) + 8.0 * parts) * double(g.entries) +
                       2.0 * sizeof(mwIndex) * double(g.cols + 1) +
                       8.0 * double(g.cols) * ((rows ? 1 : 0) + (cols ? 1 : 0));
  state.SetBytesProcessed(static_cast<int64_t>(bytes) * static_cast<int64_t>(state.iterations()));
  state.SetItemsProcessed(g.entries * static_cast<int64_t>(state.iterations()));
  state.counters["entries"] = benchmark::Counter(double(g.entries));
}
BENCHMARK(SidescaleKernel)
    ->ArgNames({"factors", "complex"})
    ->Args({3, 0})
    ->Args({1, 0})
    ->Args({2, 0})
    ->Args({0, 0})
    ->Args({3, 1})
    ->Unit(benchmark::kMillisecond);

}  // namespace
