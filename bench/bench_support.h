// What the kernel benchmarks share: storage that is already touched (first touch is measured in
// the host suite, not here), the grids, masks and pair patterns they run on, and the counters
// the results table reads.
#ifndef BENCH_BENCH_SUPPORT_H
#define BENCH_BENCH_SUPPORT_H

#include <benchmark/benchmark.h>
#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "kernels.h"

namespace bench {

// Anonymous memory advised for huge pages and touched once, so that the timed loops see
// resident memory and setting up a multi-gigabyte case costs well under a second.
template <class T>
class Buffer {
 public:
  Buffer() = default;
  explicit Buffer(size_t count) : count_(count) {
    bytes_ = count * sizeof(T) + 1;  // never a zero-length mapping
    void* p = mmap(nullptr, bytes_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) throw std::bad_alloc();
    madvise(p, bytes_, MADV_HUGEPAGE);
    std::memset(p, 0, bytes_);
    data_ = static_cast<T*>(p);
  }
  Buffer(const Buffer&) = delete;
  Buffer& operator=(const Buffer&) = delete;
  Buffer(Buffer&& o) noexcept { swap(o); }
  Buffer& operator=(Buffer&& o) noexcept {
    swap(o);
    return *this;
  }
  ~Buffer() {
    if (data_) munmap(data_, bytes_);
  }
  T* data() { return data_; }
  const T* data() const { return data_; }
  size_t size() const { return count_; }
  T& operator[](size_t k) { return data_[k]; }
  const T& operator[](size_t k) const { return data_[k]; }

 private:
  void swap(Buffer& o) {
    std::swap(data_, o.data_);
    std::swap(count_, o.count_);
    std::swap(bytes_, o.bytes_);
  }
  T* data_ = nullptr;
  size_t count_ = 0;
  size_t bytes_ = 0;
};

// Masks shaped like those of images: samp1 keeps a centred disc of pixels (about 64 % of the
// grid), samp2 leaves out one band of 8 rows in every 64 (12.5 % of the grid).
inline Buffer<double> discMask(int32_t side) {
  Buffer<double> m(static_cast<size_t>(side) * side);
  const double c = (side - 1) / 2.0, r2 = 0.45 * side * 0.45 * side;
  for (int32_t j = 0; j < side; ++j)
    for (int32_t i = 0; i < side; ++i)
      m[static_cast<size_t>(j) * side + i] = ((i - c) * (i - c) + (j - c) * (j - c) <= r2);
  return m;
}

inline Buffer<double> bandMask(int32_t side) {
  Buffer<double> m(static_cast<size_t>(side) * side);
  for (int32_t j = 0; j < side; ++j)
    for (int32_t i = 0; i < side; ++i) m[static_cast<size_t>(j) * side + i] = (i % 64) >= 8;
  return m;
}

// Region labels as a segmentation gives them: 32-by-32 blocks, a quarter of them labelled 0.
inline Buffer<double> blockLabels(int32_t side) {
  Buffer<double> m(static_cast<size_t>(side) * side);
  for (int32_t j = 0; j < side; ++j)
    for (int32_t i = 0; i < side; ++i) {
      const int32_t block = (i / 32) + 97 * (j / 32);
      m[static_cast<size_t>(j) * side + i] = block % 4 == 0 ? 0.0 : double(block % 251 + 1);
    }
  return m;
}

// A smooth map with some structure, so the path maxima vary from pair to pair.
inline Buffer<double> valueMap(int32_t side) {
  Buffer<double> m(static_cast<size_t>(side) * side);
  uint64_t s = 88172645463325252ull;
  for (size_t k = 0; k < m.size(); ++k) {
    s ^= s << 13;
    s ^= s >> 7;
    s ^= s << 17;
    m[k] = double(s % 1000) / 1000.0 - 0.1;
  }
  return m;
}

// The pattern boxreach makes for a side-by-side grid, with or without its two masks.
struct Pattern {
  int32_t side = 0, radius = 0;
  bool masked = false;
  int64_t pixels = 0, pairs = 0;
  Buffer<uint32_t> index, start;
};

// Upper bound on the entries of a pattern, for sizing its storage.
inline int64_t patternBound(int32_t side, int32_t radius) {
  const int64_t w = 2 * int64_t(radius) + 1;
  return int64_t(side) * side * w * w;
}

// One pattern is kept between benchmark runs: consecutive cases share it.
inline const Pattern& patternFor(int32_t side, int32_t radius, bool masked) {
  static std::unique_ptr<Pattern> kept;
  if (kept && kept->side == side && kept->radius == radius && kept->masked == masked) return *kept;
  kept.reset();
  auto p = std::make_unique<Pattern>();
  p->side = side;
  p->radius = radius;
  p->masked = masked;
  p->pixels = int64_t(side) * side;
  Buffer<uint32_t> index(static_cast<size_t>(patternBound(side, radius)));
  p->start = Buffer<uint32_t>(static_cast<size_t>(p->pixels + 1));
  Buffer<double> s1, s2;
  if (masked) {
    s1 = discMask(side);
    s2 = bandMask(side);
  }
  p->pairs = boxreachKernel(radius, radius, side, side, masked ? s1.data() : nullptr,
                            masked ? s2.data() : nullptr, index.data(), p->start.data());
  // Keep exactly the entries, as the host's shrink does.
  p->index = Buffer<uint32_t>(static_cast<size_t>(p->pairs));
  std::memcpy(p->index.data(), index.data(), static_cast<size_t>(p->pairs) * 4);
  kept = std::move(p);
  return *kept;
}

// Grid cases: side, radius, masks. The largest cases are left out where their arrays would not
// fit beside the other developers' work in this machine's 24 GiB (see docs/performance.md).
inline void gridCases(benchmark::internal::Benchmark* b, int64_t maxEntries) {
  for (int64_t side : {512, 2048})
    for (int64_t radius : {1, 5, 10})
      if (patternBound(int32_t(side), int32_t(radius)) <= maxEntries)
        for (int64_t masked : {0, 1}) b->Args({side, radius, masked});
  b->ArgNames({"grid", "radius", "masks"});
  b->Unit(benchmark::kMillisecond);
}

// The counters the results table reads: items (entries, samples or elements) and bytes that
// the kernel must read and write at the least, per second.
inline void setCounters(benchmark::State& state, double items, double bytes) {
  state.counters["items"] = benchmark::Counter(items);
  state.SetItemsProcessed(static_cast<int64_t>(items) * int64_t(state.iterations()));
  if (bytes > 0) state.SetBytesProcessed(static_cast<int64_t>(bytes) * int64_t(state.iterations()));
}

}  // namespace bench

#endif
