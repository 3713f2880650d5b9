// boxreach: the kernel on plain arrays and the gateway through the host layer.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "kernels.h"
#include "testutil.h"

using hostlayer::makeDouble;
using hostlayer::makeRow;
using hostlayer::makeScalar;
using hostlayer::uint32Of;

namespace {

using List = std::vector<uint32_t>;

struct Pattern {
  List index, start;
};

// Lists written straight from the definition of the window, independently of the kernel.
Pattern reference(int a, int b, int m, int n, const std::vector<double>* s1,
                  const std::vector<double>* s2) {
  Pattern p;
  for (int pix = 0; pix < m * n; ++pix) {
    p.start.push_back(static_cast<uint32_t>(p.index.size()));
    if (s1 && (*s1)[pix] == 0) continue;
    int i = pix % m, j = pix / m;
    for (int q = 0; q < m * n; ++q) {
      int iq = q % m, jq = q / m;
      if (std::abs(iq - i) <= a && std::abs(jq - j) <= b && (!s2 || (*s2)[q] != 0))
        p.index.push_back(static_cast<uint32_t>(q));
    }
  }
  p.start.push_back(static_cast<uint32_t>(p.index.size()));
  return p;
}

Pattern runKernel(int a, int b, int m, int n, const std::vector<double>* s1,
                  const std::vector<double>* s2, size_t capacity) {
  Pattern p;
  p.index.assign(capacity, 0xDEADBEEF);
  p.start.assign(static_cast<size_t>(m * n + 1), 0xDEADBEEF);
  int32_t t = boxreachKernel(a, b, m, n, s1 ? s1->data() : nullptr, s2 ? s2->data() : nullptr,
                             p.index.data(), p.start.data());
  EXPECT_LE(static_cast<size_t>(t), capacity);
  for (size_t k = static_cast<size_t>(t); k < capacity; ++k) EXPECT_EQ(p.index[k], 0xDEADBEEF);
  p.index.resize(static_cast<size_t>(t));
  return p;
}

const List kExampleIndex = {0, 1, 3, 4, 0, 1, 2, 3, 4, 5, 1, 2, 4, 5,
                            0, 1, 3, 4, 0, 1, 2, 3, 4, 5, 1, 2, 4, 5};
const List kExampleStart = {0, 4, 10, 14, 18, 24, 28};

}  // namespace

TEST(BoxreachKernel, ThreeByTwoGridWithAndWithoutMasks) {
  Pattern plain = runKernel(1, 1, 3, 2, nullptr, nullptr, 36);
  EXPECT_EQ(plain.index, kExampleIndex);
  EXPECT_EQ(plain.start, kExampleStart);

  std::vector<double> samp2 = {1, 0, 1, 1, 1, 1};
  Pattern admitted = runKernel(1, 1, 3, 2, nullptr, &samp2, 30);
  EXPECT_EQ(admitted.index,
            (List{0, 3, 4, 0, 2, 3, 4, 5, 2, 4, 5, 0, 3, 4, 0, 2, 3, 4, 5, 2, 4, 5}));
  EXPECT_EQ(admitted.start, (List{0, 3, 8, 11, 14, 19, 22}));

  std::vector<double> samp1 = {1, 1, 1, 1, 0, 1};
  Pattern active = runKernel(1, 1, 3, 2, &samp1, nullptr, 36);
  EXPECT_EQ(active.start, (List{0, 4, 10, 14, 18, 18, 22}));
  List expected(kExampleIndex.begin(), kExampleIndex.begin() + 18);
  expected.insert(expected.end(), {1, 2, 4, 5});
  EXPECT_EQ(active.index, expected);
}

TEST(BoxreachKernel, UnequalRadii) {
  Pattern p = runKernel(2, 1, 4, 3, nullptr, nullptr, 144);
  EXPECT_EQ(p.index.size(), 98u);
  EXPECT_EQ(p.start, (List{0, 6, 14, 22, 28, 37, 49, 61, 70, 76, 84, 92, 98}));
  EXPECT_EQ(p.index, reference(2, 1, 4, 3, nullptr, nullptr).index);
}

TEST(BoxreachKernel, WindowCoveringTheGridListsEveryPixel) {
  for (int radius : {4, 5, 1000, std::numeric_limits<int32_t>::max()}) {
    Pattern p = runKernel(radius, radius, 5, 3, nullptr, nullptr, 225);
    ASSERT_EQ(p.index.size(), 225u);
    for (uint32_t pix = 0; pix <= 15; ++pix) EXPECT_EQ(p.start[pix], pix * 15);
  }
}

TEST(BoxreachKernel, MatchesTheDefinitionOnMaskedGrids) {
  // Masks with zeros, NaN and other non-zero values, over several shapes and radii.
  const double nan = std::nan("");
  for (int m : {1, 2, 5, 7}) {
    for (int n : {1, 3, 6}) {
      std::vector<double> s1(static_cast<size_t>(m * n)), s2(s1.size());
      for (size_t k = 0; k < s1.size(); ++k) {
        s1[k] = (k % 3 == 1) ? 0.0 : (k % 5 == 0 ? nan : 1.0);
        s2[k] = (k % 4 == 2) ? 0.0 : (k % 7 == 3 ? -0.5 : 1.0);
      }
      for (auto [a, b] : {std::pair{1, 1}, {2, 1}, {1, 3}, {9, 9}}) {
        const size_t cap = static_cast<size_t>(m * n * m * n);
        for (int masks = 0; masks < 4; ++masks) {
          const auto* p1 = (masks & 1) ? &s1 : nullptr;
          const auto* p2 = (masks & 2) ? &s2 : nullptr;
          Pattern want = reference(a, b, m, n, p1, p2);
          Pattern got = runKernel(a, b, m, n, p1, p2, cap);
          EXPECT_EQ(got.index, want.index) << m << "x" << n << " r " << a << "," << b;
          EXPECT_EQ(got.start, want.start) << m << "x" << n << " r " << a << "," << b;
        }
      }
    }
  }
}

TEST(BoxreachKernel, NoPixels) {
  uint32_t start = 99;
  EXPECT_EQ(boxreachKernel(1, 1, 0, 0, nullptr, nullptr, nullptr, &start), 0);
  EXPECT_EQ(start, 0u);
}

class BoxreachGateway : public HostTest {};

TEST_F(BoxreachGateway, ThreeByTwoGrid) {
  auto r = callModule(2, {makeScalar(1), makeRow({3, 2})});
  ASSERT_TRUE(succeeds(r));
  EXPECT_EQ(uint32Of(r.out[0]), kExampleIndex);
  EXPECT_EQ(uint32Of(r.out[1]), kExampleStart);
  EXPECT_EQ(mxGetM(r.out[0]), 28u);
  EXPECT_EQ(mxGetN(r.out[0]), 1u);
  EXPECT_EQ(mxGetClassID(r.out[0]), mxUINT32_CLASS);
  EXPECT_EQ(mxGetClassID(r.out[1]), mxUINT32_CLASS);
  // Created at 36 entries, shrunk to 28 entries of 4 bytes.
  EXPECT_EQ(hostlayer::lastReallocBytes(), 112);
}

TEST_F(BoxreachGateway, SizesRadiiAndMasks) {
  const double nan = std::nan("");
  struct Case {
    const char* name;
    std::vector<const mxArray*> in;
    List start;
  };
  const List s3x3 = {0, 4, 10, 14, 20, 29, 35, 39, 45, 49};
  const std::vector<Case> cases = {
      {"column size", {makeScalar(1), hostlayer::makeColumn({3, 2})}, kExampleStart},
      {"radius 1.9 acts as 1", {makeScalar(1.9), makeRow({3, 2})}, kExampleStart},
      {"r [1 2 3] acts as [1 2]",
       {makeRow({1, 2, 3}), makeRow({2, 3})},
       {0, 6, 12, 18, 24, 30, 36}},
      {"r [2 1] on a 4-by-3 grid",
       {makeRow({2, 1}), makeRow({4, 3})},
       {0, 6, 14, 22, 28, 37, 49, 61, 70, 76, 84, 92, 98}},
      {"one-element size", {makeScalar(1), makeScalar(3)}, s3x3},
      {"size 3.7 truncates", {makeScalar(1), makeScalar(3.7)}, s3x3},
      {"[1 0] is a size", {makeScalar(1), makeRow({1, 0})}, {0}},
      {"empty samp1", {makeScalar(1), emptyDouble()}, {0}},
      {"0-by-3 mask", {makeScalar(1), emptyDouble(0, 3)}, {0}},
      // No pixels to visit, however many empty columns (found by fuzzing: 2^31 empty steps).
      {"0-by-(2^31 - 1) mask", {makeScalar(1), emptyDouble(0, 2147483647)}, {0}},
      // The window's size must not overflow (found by fuzzing).
      {"radius 2^31 - 1 covers the grid",
       {makeScalar(2147483647), makeRow({5, 3})},
       {0, 15, 30, 45, 60, 75, 90, 105, 120, 135, 150, 165, 180, 195, 210, 225}},
      {"radii [2^31 - 1, 1]",
       {makeRow({2147483647, 1}), makeRow({4, 3})},
       {0, 8, 16, 24, 32, 44, 56, 68, 80, 88, 96, 104, 112}},
      {"samp1 mask",
       {makeScalar(1), makeDouble(3, 2, {1, 1, 1, 1, 0, 1})},
       {0, 4, 10, 14, 18, 18, 22}},
      {"NaN in a mask is active",
       {makeScalar(1), makeDouble(3, 2, {1, 1, 1, 1, nan, 1})},
       kExampleStart},
      {"samp2",
       {makeScalar(1), makeRow({3, 2}), makeDouble(3, 2, {1, 0, 1, 1, 1, 1})},
       {0, 3, 8, 11, 14, 19, 22}},
      {"samp2 of zeros",
       {makeScalar(1), makeRow({3, 2}), makeDouble(3, 2, {0, 0, 0, 0, 0, 0})},
       {0, 0, 0, 0, 0, 0, 0}},
      {"fourth input: samp2 not read",
       {makeScalar(1), makeRow({3, 2}), makeDouble(3, 2, {0, 0, 0, 0, 0, 0}), makeScalar(nan)},
       kExampleStart},
      {"fourth input: third unchecked",
       {makeScalar(1), makeRow({3, 2}), hostlayer::makeTyped<int8_t>(mxINT8_CLASS, 1, 1, {1}),
        emptyDouble()},
       kExampleStart},
  };
  for (const auto& c : cases) {
    hostlayer::clearCounters();
    auto r = callModule(2, c.in);
    ASSERT_TRUE(succeeds(r)) << c.name;
    EXPECT_EQ(uint32Of(r.out[1]), c.start) << c.name;
    EXPECT_EQ(mxGetM(r.out[0]), c.start.back()) << c.name;
  }
}

TEST_F(BoxreachGateway, Samp2WithOtherValuesIsSizedByItsNonzeros) {
  // Halves, negatives and NaN admit their pixels; a running truncated sum would undercount.
  const double nan = std::nan("");
  auto r = callModule(
      2, {makeScalar(1), makeRow({3, 2}), makeDouble(3, 2, {0.5, -1, nan, 0.25, 0.5, -0.5})});
  ASSERT_TRUE(succeeds(r));
  EXPECT_EQ(uint32Of(r.out[0]), kExampleIndex);
  EXPECT_EQ(uint32Of(r.out[1]), kExampleStart);
}

TEST_F(BoxreachGateway, Errors) {
  const double nan = std::nan("");
  const double inf = std::numeric_limits<double>::infinity();
  auto sparseRow = [] { return hostlayer::makeSparse(1, 2, {0, 1, 2}, {0, 0}, {3, 2}); };
  const std::vector<ErrorCase> cases = {
      {"no inputs", 1, {}, "Two input arguments required"},
      {"one input, three outputs", 3, {makeScalar(1)}, "Two input arguments required"},
      {"three outputs", 3, {makeScalar(1), makeRow({3, 2})}, "Too many output arguments."},
      {"r 0.9", 2, {makeScalar(0.9), makeRow({3, 2})}, "r should be positive"},
      {"r -1", 2, {makeScalar(-1), makeRow({3, 2})}, "r should be positive"},
      {"r [1 0]", 2, {makeRow({1, 0}), makeRow({3, 2})}, "r should be positive"},
      {"r [0; 1]", 2, {hostlayer::makeColumn({0, 1}), makeRow({3, 2})}, "r should be positive"},
      {"r NaN", 2, {makeScalar(nan), makeRow({3, 2})}, "r should be positive"},
      {"r Inf", 2, {makeScalar(inf), makeRow({3, 2})}, "r should be positive"},
      {"r 2^31", 2, {makeScalar(2147483648.0), makeRow({3, 2})}, "r should be positive"},
      {"r before samp1",
       2,
       {makeScalar(0), hostlayer::makeTyped<float>(mxSINGLE_CLASS, 1, 2, {3, 2})},
       "r should be positive"},
      {"empty r", 2, {emptyDouble(), makeRow({3, 2})}, "r should be a nonempty full double array"},
      {"empty 1-by-0 r",
       2,
       {emptyDouble(1, 0), makeRow({3, 2})},
       "r should be a nonempty full double array"},
      {"sparse r", 2, {sparseRow(), makeRow({3, 2})}, "r should be a nonempty full double array"},
      {"int32 r",
       2,
       {hostlayer::makeTyped<int32_t>(mxINT32_CLASS, 1, 1, {1}), makeRow({3, 2})},
       "r should be a nonempty full double array"},
      {"logical samp1",
       2,
       {makeScalar(1), hostlayer::makeLogical(1, 2, {1, 1})},
       "arguments should be double"},
      {"single samp1",
       2,
       {makeScalar(1), hostlayer::makeTyped<float>(mxSINGLE_CLASS, 1, 2, {3, 2})},
       "arguments should be double"},
      {"uint8 mask",
       2,
       {makeScalar(1), hostlayer::makeTyped<uint8_t>(mxUINT8_CLASS, 2, 2, {1, 1, 1, 1})},
       "arguments should be double"},
      {"sparse samp1", 2, {makeScalar(1), sparseRow()}, "samp1 should be a full matrix"},
      {"negative size", 2, {makeScalar(1), makeRow({-3, 2})}, "grid size should be nonnegative"},
      {"NaN size", 2, {makeScalar(1), makeRow({3, nan})}, "grid size should be nonnegative"},
      {"P + 1 overflows", 2, {makeScalar(1), makeRow({65536, 32768})}, "grid size too large"},
      {"size over 2^31", 2, {makeScalar(1), makeScalar(3e9)}, "grid size should be nonnegative"},
      {"samp2 P-by-1",
       2,
       {makeScalar(1), makeRow({3, 2}), makeDouble(6, 1, {1, 1, 1, 1, 1, 1})},
       "samp2 should be a double matrix that matches samp1"},
      {"samp2 logical",
       2,
       {makeScalar(1), makeRow({3, 2}), hostlayer::makeLogical(3, 2, {1, 1, 1, 1, 1, 1})},
       "samp2 should be a double matrix that matches samp1"},
      {"samp2 sparse",
       2,
       {makeScalar(1), makeRow({1, 2}), sparseRow()},
       "samp2 should be a full matrix"},
      {"capacity over 2^31 - 1",
       2,
       {makeScalar(100), makeRow({40000, 40000})},
       "Not enough space for the output matrix."},
  };
  expectErrors(cases);
}

TEST_F(BoxreachGateway, BothArraysCreatedButSlotOneWrittenOnlyWhenOffered) {
  for (int nOut : {0, 1, 2}) {
    hostlayer::reset();
    auto r = callModule(nOut, {makeScalar(1), makeRow({3, 2})});
    ASSERT_TRUE(succeeds(r)) << nOut;
    EXPECT_EQ(hostlayer::creationCount(), 2) << nOut;
    EXPECT_EQ(uint32Of(r.out[0]), kExampleIndex) << nOut;
    EXPECT_EQ(r.out.size(), nOut == 2 ? 2u : 1u);
  }
}

TEST_F(BoxreachGateway, OutOfMemoryOnEitherCreation) {
  for (int k : {1, 2}) {
    hostlayer::reset();
    hostlayer::failCreation(k);
    auto r = callModule(2, {makeScalar(1), makeRow({3, 2})});
    EXPECT_TRUE(failsWith(r, "Not enough space for the output matrix.")) << k;
    EXPECT_EQ(hostlayer::creationCount(), 2) << k;
  }
}

TEST_F(BoxreachGateway, EmptyResultIsShrunkToNothing) {
  auto r = callModule(2, {makeScalar(1), makeRow({3, 2}), makeDouble(3, 2, {0, 0, 0, 0, 0, 0})});
  ASSERT_TRUE(succeeds(r));
  EXPECT_EQ(mxGetM(r.out[0]), 0u);
  EXPECT_EQ(hostlayer::lastReallocBytes(), 0);
  EXPECT_EQ(uint32Of(r.out[1]), (List{0, 0, 0, 0, 0, 0, 0}));
}

TEST_F(BoxreachGateway, RepeatedCallsAgree) {
  auto first = callModule(2, {makeScalar(2), makeRow({5, 4})});
  auto second = callModule(2, {makeScalar(2), makeRow({5, 4})});
  ASSERT_TRUE(succeeds(first));
  ASSERT_TRUE(succeeds(second));
  EXPECT_EQ(uint32Of(first.out[0]), uint32Of(second.out[0]));
  EXPECT_EQ(uint32Of(first.out[1]), uint32Of(second.out[1]));
}
