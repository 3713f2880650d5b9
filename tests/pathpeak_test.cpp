// pathpeak: the kernel on plain arrays and the gateway through the host layer.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "frame.h"
#include "kernels.h"
#include "testutil.h"

using hostlayer::makeDouble;
using hostlayer::makeScalar;
using hostlayer::makeTyped;
using hostlayer::makeUint32Column;
using hostlayer::realOf;

namespace {

using List = std::vector<uint32_t>;
using Values = std::vector<double>;

const double kNan = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

// The 3-by-4 map of the example, column by column (pixel p = row + 3 x column).
const Values kMap = {2, 4, -2, 1, 3, 6, 9, 8, 7, 0, 1, 5};
const List kStart = {0, 6, 6, 7, 7, 7, 8, 8, 8, 8, 8, 8, 9};
const List kIndex = {0, 1, 4, 5, 7, 11, 5, 2, 0};
const Values kWeights = {0, 1, 1, 1.5, 1.5, 4, 0, 3, 4};
// Pixels 0 and 4 carry the label 3, pixels 2 and 5 the label -1, the rest 0.
const Values kMask = {3, 0, -1, 0, 3, -1, 0, 0, 0, 0, 0, 0};
const Values kMaskedWeights = {0, 1, 0, 1.5, 1.5, 4, 0, 3, 4};

// Weights written straight from the definition of the walk, independently of the kernel: the
// major and minor coordinates of both ends, the slope as the quotient of the two differences,
// and every sample's minor coordinate from the rounding rule.
Values reference(int32_t m, const Values& map, const List& index, const List& start,
                 const Values* mask) {
  Values w(index.size(), 0.0);
  const int32_t pixels = static_cast<int32_t>(map.size());
  for (int32_t p = 0; p < pixels; ++p) {
    const int32_t rp = p % m, cp = p / m;
    for (uint32_t j = start[static_cast<size_t>(p)]; j < start[static_cast<size_t>(p) + 1]; ++j) {
      const int32_t q = static_cast<int32_t>(index[j]);
      if (q == p) {
        w[j] = 0;
        continue;
      }
      if (mask && (*mask)[static_cast<size_t>(q)] == (*mask)[static_cast<size_t>(p)] &&
          (*mask)[static_cast<size_t>(p)] > 0) {
        w[j] = 0;
        continue;
      }
      const int32_t rq = q % m, cq = q / m;
      const bool columns = std::abs(cp - cq) >= std::abs(rp - rq);
      const int32_t a0 = columns ? cp : rp, a1 = columns ? cq : rq;
      const int32_t b0 = columns ? rp : cp, b1 = columns ? rq : cq;
      const int32_t n = std::abs(a1 - a0), s = a1 > a0 ? 1 : -1;
      const double slope = static_cast<double>(b1 - b0) / static_cast<double>(a1 - a0);
      double v = 0.0;
      for (int32_t k = 0; k < n; ++k) {
        const int32_t a = a0 + k * s;
        const int32_t b = k == 0 ? b0
                                 : frame::truncToInt32((slope * static_cast<double>(a - a0) + 0.5) +
                                                       static_cast<double>(b0));
        const double x = map[static_cast<size_t>(columns ? b + m * a : a + m * b)];
        if (x > v) v = x;
      }
      w[j] = 0.5 * v;
    }
  }
  return w;
}

// Runs the kernel on storage that holds zeros, as the host creates it.
Values runKernel(int32_t m, const Values& map, const List& index, const List& start,
                 const Values* mask) {
  Values w(index.size(), 0.0);
  pathpeakKernel(m, static_cast<int32_t>(map.size()), map.data(), index.data(), start.data(),
                 mask ? mask->data() : nullptr, w.data(), static_cast<int32_t>(index.size()));
  return w;
}

// Equal bit for bit, so that -0.0 against +0.0 or a different rounding shows.
::testing::AssertionResult sameBits(const Values& got, const Values& want) {
  if (got.size() != want.size())
    return ::testing::AssertionFailure() << got.size() << " weights, expected " << want.size();
  for (size_t j = 0; j < got.size(); ++j)
    if (std::memcmp(&got[j], &want[j], sizeof(double)) != 0)
      return ::testing::AssertionFailure()
             << "entry " << j << " is " << got[j] << ", expected " << want[j];
  return ::testing::AssertionSuccess();
}

// One pair (p, q) on an m-by-n grid; returns its weight.
double weightOf(int32_t m, const Values& map, uint32_t p, uint32_t q) {
  List start(map.size() + 1, 0);
  for (size_t k = p + 1; k < start.size(); ++k) start[k] = 1;
  return runKernel(m, map, List{q}, start, nullptr)[0];
}

struct Rng {
  uint64_t s;
  uint64_t next() {
    uint64_t z = (s += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  uint32_t below(uint32_t n) { return static_cast<uint32_t>(next() % n); }
};

}  // namespace

TEST(PathpeakKernel, ExampleWithAndWithoutMask) {
  EXPECT_TRUE(sameBits(runKernel(3, kMap, kIndex, kStart, nullptr), kWeights));
  EXPECT_TRUE(sameBits(runKernel(3, kMap, kIndex, kStart, &kMask), kMaskedWeights));
}

TEST(PathpeakKernel, RoundingSensitivePathsFollowTheRule) {
  // (row 1, column 0) towards (row 0, column 6): slope -1/6, and at column 3 the product
  // rounds to -0.5, so the sample lies on row 1. A slope held in single precision would pick
  // row 0.
  {
    const int32_t m = 2;
    Values map(2 * 7, 0.0);
    map[1 + m * 3] = 10;  // row 1, column 3
    map[0 + m * 3] = 20;  // row 0, column 3
    EXPECT_EQ(weightOf(m, map, 1 + m * 0, 0 + m * 6), 5.0);
  }
  // (row 0, column 0) towards (row 13, column 22): 13/22 x 11 rounds to 6.5, so the sample at
  // column 11 lies on row 7. Extended precision would keep 6.4999... and pick row 6.
  {
    const int32_t m = 14;
    Values map(14 * 23, 0.0);
    map[7 + m * 11] = 10;
    map[6 + m * 11] = 20;
    EXPECT_EQ(weightOf(m, map, 0, 13 + m * 22), 5.0);
  }
}

TEST(PathpeakKernel, SamplesAndTheirMaximum) {
  // A 5-by-6 grid of zeros; each case sets some values and weighs one pair.
  const int32_t m = 5;
  const auto at = [m](int32_t r, int32_t c) { return static_cast<uint32_t>(r + m * c); };
  struct Case {
    const char* name;
    uint32_t p, q;
    std::vector<std::pair<uint32_t, double>> values;
    double weight;
  };
  const std::vector<Case> cases = {
      {"neighbour: first value only", at(2, 2), at(3, 3), {{at(2, 2), 6}, {at(3, 3), 100}}, 3},
      {"neighbour: negative first", at(2, 2), at(2, 3), {{at(2, 2), -6}, {at(2, 3), 100}}, 0},
      {"q is never sampled", at(0, 0), at(0, 3), {{at(0, 3), 100}, {at(0, 2), 1}}, 0.5},
      {"diagonal on a tie", at(0, 0), at(3, 3), {{at(1, 1), 4}, {at(0, 1), 9}, {at(1, 0), 9}}, 2},
      {"row axis", at(0, 0), at(4, 1), {{at(2, 0), 9}, {at(2, 1), 4}}, 2},
      {"half-way goes to the larger row", at(0, 0), at(1, 2), {{at(1, 1), 8}, {at(0, 1), 2}}, 4},
      {"walking left", at(4, 5), at(0, 1), {{at(3, 4), 8}, {at(2, 3), 2}, {at(1, 2), 1}}, 4},
      {"walking up the rows", at(4, 0), at(0, 1), {{at(2, 0), 2}, {at(2, 1), 7}}, 3.5},
      {"negatives, -0 and NaN never count",
       at(0, 0),
       at(0, 4),
       {{at(0, 0), -1}, {at(0, 1), -0.0}, {at(0, 2), kNan}, {at(0, 3), -kInf}},
       0},
      {"NaN does not hide a later value", at(0, 0), at(0, 4), {{at(0, 1), kNan}, {at(0, 3), 2}}, 1},
      {"+inf counts", at(0, 0), at(0, 4), {{at(0, 2), kInf}}, kInf},
  };
  for (const auto& c : cases) {
    Values map(static_cast<size_t>(m * 6), 0.0);
    for (const auto& [pix, v] : c.values) map[pix] = v;
    const double w = weightOf(m, map, c.p, c.q);
    EXPECT_TRUE(sameBits({w}, {c.weight})) << c.name << ": " << w;
  }
}

TEST(PathpeakKernel, SelfPairsAndLabels) {
  // A 6-by-1 grid. Pixel 0 holds NaN: a self pair never reads it. Pixel 1 pairs with itself and
  // pixels 2, 3 and 4, of which only pixel 2 has its label; equal labels that are not positive
  // do not zero a pair.
  const Values map = {kNan, 8, 6, 6, 6, 6};
  const List start = {0, 1, 5, 7, 9, 9, 9};
  const List index = {0, 1, 2, 3, 4, 3, 5, 2, 5};
  const Values labels = {1, 2, 2, 7, 9, 0};
  EXPECT_TRUE(sameBits(runKernel(6, map, index, start, &labels), {0, 0, 0, 4, 4, 3, 3, 3, 3}));
  const Values lowLabels = {1, 0, -1, -1, kNan, kNan};
  EXPECT_TRUE(sameBits(runKernel(6, map, index, start, &lowLabels), {0, 0, 4, 4, 4, 3, 3, 3, 3}));
  EXPECT_TRUE(sameBits(runKernel(6, map, index, start, nullptr), {0, 0, 4, 4, 4, 3, 3, 3, 3}));
}

TEST(PathpeakKernel, WritesOnlyInsideRanges) {
  // A 4-by-1 grid. Pixel 0 covers entries 1 and 2, pixel 2 entries 2 and 3, so entry 2 keeps
  // pixel 2's weight; the decreasing starts of pixels 1 and 3 make empty ranges, and entries
  // 0, 4, 5 and 6 lie in no range.
  const Values map = {2, 4, 6, 8};
  const List start = {1, 3, 2, 4, 3};
  const List index = {99, 1, 0, 2, 99, 99, 99};
  Values w(index.size(), -7.0);
  pathpeakKernel(4, 4, map.data(), index.data(), start.data(), nullptr, w.data(),
                 static_cast<int32_t>(index.size()));
  EXPECT_TRUE(sameBits(w, {-7, 1, 3, 0, -7, -7, -7}));
}

TEST(PathpeakKernel, MatchesTheDefinitionOnRandomPatterns) {
  Rng rng{42};
  const Values special = {kNan, kInf, -kInf, -0.0, 0.0};
  // Grids with paths of every direction and length; on the tallest and widest only near
  // pairs, whose pixel numbers still run up to two million.
  struct Grid {
    int32_t m, n;
    bool far;
  };
  for (const Grid g : {Grid{1, 1, true}, Grid{1, 40, true}, Grid{40, 1, true}, Grid{7, 9, true},
                       Grid{64, 61, true}, Grid{300, 3, true}, Grid{3, 300, true},
                       Grid{1500, 1400, true}, Grid{700001, 3, false}, Grid{3, 700001, false}}) {
    const int32_t pixels = g.m * g.n;
    Values map(static_cast<size_t>(pixels)), mask(map.size());
    for (auto& v : map) {
      const uint32_t r = rng.below(20);
      v = r < 2 ? special[rng.below(5)] : static_cast<double>(rng.below(2001)) / 100.0 - 10.0;
    }
    const Values labels = {kNan, -1, 0, 1, 2, 3};
    for (auto& v : mask) v = labels[rng.below(6)];
    // Pairs near and far, with self pairs; then starts in ascending order, and starts in any
    // order (overlapping, empty and decreasing ranges).
    const size_t pairs = std::min<size_t>(20000, static_cast<size_t>(pixels) * 12);
    List index(pairs);
    for (size_t j = 0; j < pairs; ++j) {
      const uint32_t p = static_cast<uint32_t>(uint64_t(j) * uint64_t(pixels) / pairs);
      const uint32_t kind = rng.below(4);
      // Near pairs lie up to four rows and columns away.
      const int32_t rn = std::clamp<int32_t>(
          static_cast<int32_t>(p) % g.m + static_cast<int32_t>(rng.below(9)) - 4, 0, g.m - 1);
      const int32_t cn = std::clamp<int32_t>(
          static_cast<int32_t>(p) / g.m + static_cast<int32_t>(rng.below(9)) - 4, 0, g.n - 1);
      const uint32_t near = static_cast<uint32_t>(rn + g.m * cn);
      index[j] = kind == 0            ? p
                 : kind == 1 && g.far ? rng.below(static_cast<uint32_t>(pixels))
                                      : near;
    }
    List ascending(static_cast<size_t>(pixels) + 1), anyOrder(ascending.size());
    for (size_t p = 0; p <= static_cast<size_t>(pixels); ++p) {
      ascending[p] = static_cast<uint32_t>(uint64_t(p) * pairs / uint64_t(pixels));
      // Starts that begin a range move by up to three either way: ranges overlap, and some
      // are empty or decreasing.
      const bool begins = p == 0 || ascending[p] != ascending[p - 1];
      const int64_t moved =
          static_cast<int64_t>(ascending[p]) + (begins ? int64_t(rng.below(7)) - 3 : 0);
      anyOrder[p] =
          static_cast<uint32_t>(std::clamp<int64_t>(moved, 0, static_cast<int64_t>(pairs)));
    }
    for (const List* start : {&ascending, &anyOrder}) {
      for (const Values* m :
           {static_cast<const Values*>(nullptr), static_cast<const Values*>(&mask)}) {
        EXPECT_TRUE(
            sameBits(runKernel(g.m, map, index, *start, m), reference(g.m, map, index, *start, m)))
            << g.m << "-by-" << g.n << (m ? " with mask" : "")
            << (start == &anyOrder ? ", starts in any order" : "");
      }
    }
  }
}

TEST(PathpeakPatternFault, RangesAndEntries) {
  struct Case {
    const char* name;
    int32_t pixels;
    List index, start;
    int fault;
  };
  const uint32_t big = 0xFFFFFFFFu;
  const std::vector<Case> cases = {
      {"sound", 3, {0, 1, 2, 2}, {0, 2, 3, 4}, kPatternSound},
      {"no entries, empty ranges", 3, {}, {0, 0, 0, 0}, kPatternSound},
      {"entries outside every range are not checked", 3, {9, 1, big}, {1, 1, 2, 2}, kPatternSound},
      {"starts beyond the entries in empty ranges", 3, {0}, {9, 9, 9, 1}, kPatternSound},
      {"entry equal to P", 3, {0, 3}, {0, 2, 2, 2}, kPatternEntryBeyondGrid},
      {"entry negative as int32", 3, {0, 1, 0x80000000u}, {0, 1, 3, 3}, kPatternEntryBeyondGrid},
      {"range beyond the entries", 3, {0, 1}, {0, 1, 3, 3}, kPatternRangeBeyondList},
      {"last start beyond the entries", 3, {0, 1}, {0, 1, 2, 9}, kPatternRangeBeyondList},
      {"first faulty pixel decides: entry", 3, {7, 1}, {0, 1, 5, 5}, kPatternEntryBeyondGrid},
      {"first faulty pixel decides: range", 3, {0, 7}, {0, 4, 4, 5}, kPatternRangeBeyondList},
      {"range before entries of one pixel", 3, {7}, {0, 2, 2, 2}, kPatternRangeBeyondList},
  };
  for (const auto& c : cases)
    EXPECT_EQ(pathpeakPatternFault(c.pixels, c.index.data(), c.start.data(),
                                   static_cast<int64_t>(c.index.size())),
              c.fault)
        << c.name;
}

class PathpeakGateway : public HostTest {};

namespace {

mxArray* uint32Array(size_t m, size_t n, const List& v) {
  return makeTyped<uint32_t>(mxUINT32_CLASS, m, n, v);
}
mxArray* zeros(size_t m, size_t n) { return makeDouble(m, n, Values(m * n, 0.0)); }
mxArray* exampleMap() { return makeDouble(3, 4, kMap); }
mxArray* exampleMask() { return makeDouble(3, 4, kMask); }
std::vector<const mxArray*> exampleInputs() {
  return {exampleMap(), makeDouble(3, 4, Values(12, kNan)), makeUint32Column(kIndex),
          makeUint32Column(kStart)};
}
std::vector<const mxArray*> with(std::vector<const mxArray*> in,
                                 const std::vector<const mxArray*>& more) {
  in.insert(in.end(), more.begin(), more.end());
  return in;
}

}  // namespace

TEST_F(PathpeakGateway, ExampleWithAndWithoutMask) {
  for (int nOut : {0, 1}) {
    auto r = callModule(nOut, exampleInputs());
    ASSERT_TRUE(succeeds(r)) << nOut;
    ASSERT_EQ(r.out.size(), 1u);
    EXPECT_EQ(mxGetClassID(r.out[0]), mxDOUBLE_CLASS);
    EXPECT_FALSE(mxIsComplex(r.out[0]));
    EXPECT_EQ(mxGetM(r.out[0]), 9u);
    EXPECT_EQ(mxGetN(r.out[0]), 1u);
    EXPECT_TRUE(sameBits(realOf(r.out[0]), kWeights)) << nOut;
  }
  auto masked = callModule(1, with(exampleInputs(), {exampleMask()}));
  ASSERT_TRUE(succeeds(masked));
  EXPECT_TRUE(sameBits(realOf(masked.out[0]), kMaskedWeights));
}

TEST_F(PathpeakGateway, InputsThatGiveTheExample) {
  const auto sparseLogical = [] { return hostlayer::makeSparseLogical(1, 1, {0, 1}, {0}, {true}); };
  struct Case {
    const char* name;
    std::vector<const mxArray*> in;
    const Values& weights;
  };
  const std::vector<Case> cases = {
      {"index and starts as rows and matrices",
       {exampleMap(), zeros(3, 4), uint32Array(1, 9, kIndex), uint32Array(1, 13, kStart)},
       kWeights},
      {"index as a 3-by-3 matrix",
       {exampleMap(), zeros(3, 4), uint32Array(3, 3, kIndex), makeUint32Column(kStart)},
       kWeights},
      {"secondMap of any class, sparse too",
       {exampleMap(), hostlayer::makeSparseLogical(3, 4, {0, 0, 0, 0, 0}, {}, {}),
        makeUint32Column(kIndex), makeUint32Column(kStart)},
       kWeights},
      {"0-by-0 mask", with(exampleInputs(), {emptyDouble()}), kWeights},
      {"0-by-5 mask", with(exampleInputs(), {emptyDouble(0, 5)}), kWeights},
      {"empty mask of another class",
       with(exampleInputs(), {makeTyped<float>(mxSINGLE_CLASS, 0, 3, {})}), kWeights},
      {"sixth input not read", with(exampleInputs(), {exampleMask(), sparseLogical()}),
       kMaskedWeights},
      {"complex map: its real part",
       {makeDouble(3, 4, kMap, Values(12, 50)), zeros(3, 4), makeUint32Column(kIndex),
        makeUint32Column(kStart)},
       kWeights},
      {"complex mask: its real part",
       with(exampleInputs(), {makeDouble(3, 4, kMask, {0, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3})}),
       kMaskedWeights},
  };
  for (const auto& c : cases) {
    auto r = callModule(1, c.in);
    ASSERT_TRUE(succeeds(r)) << c.name;
    EXPECT_TRUE(sameBits(realOf(r.out[0]), c.weights)) << c.name;
  }
}

TEST_F(PathpeakGateway, EmptyAndUncoveredEntries) {
  // No entries at all: a 0-by-1 column.
  auto none = callModule(
      1, {makeScalar(5), makeScalar(0), uint32Array(0, 0, {}), uint32Array(1, 2, {0, 0})});
  ASSERT_TRUE(succeeds(none));
  EXPECT_EQ(mxGetM(none.out[0]), 0u);
  EXPECT_EQ(mxGetN(none.out[0]), 1u);
  // Entries that no range covers stay 0, even when they are no pixel numbers.
  auto gaps = callModule(1, {makeDouble(1, 2, {6, 2}), zeros(1, 2),
                             makeUint32Column({77, 1, 0xFFFFFFFFu}), makeUint32Column({1, 2, 2})});
  ASSERT_TRUE(succeeds(gaps));
  EXPECT_TRUE(sameBits(realOf(gaps.out[0]), {0, 3, 0}));
}

TEST_F(PathpeakGateway, Errors) {
  const auto idx = [] { return makeUint32Column(kIndex); };
  const auto st = [] { return makeUint32Column(kStart); };
  const auto map = [] { return exampleMap(); };
  const auto second = [] { return zeros(3, 4); };
  const auto doubleIndex = [] { return makeDouble(9, 1, Values(9, 0)); };
  const auto singleMap = [] {
    return makeTyped<float>(mxSINGLE_CLASS, 3, 4, std::vector<float>(12));
  };
  const auto sparseMap = [] { return hostlayer::makeSparse(3, 4, {0, 1, 1, 1, 1}, {0}, {2}); };
  const auto sparseMask = [] { return hostlayer::makeSparse(3, 4, {0, 1, 1, 1, 1}, {0}, {3}); };
  const char* const four = "Four input arguments required";
  const char* const outputs = "Too many output arguments";
  const char* const dims = "Dimension mismatches between the inputs";
  const char* const uint32 = "Index pair shall be of type UINT32";
  const char* const mask = "Incorrect size or type for mask";
  const char* const mapClass = "Value map shall be a full matrix of type DOUBLE";
  const char* const maskFull = "Mask shall be a full matrix";
  const char* const range = "Index pair ranges shall not reach beyond pairIndex";
  const char* const entry = "Index pair entries shall be below the number of pixels";
  List startBeyond = kStart;
  startBeyond.back() = 10;
  List entryP = kIndex;
  entryP[3] = 12;
  List entryNegative = kIndex;
  entryNegative[8] = 0x80000000u;
  const std::vector<ErrorCase> cases = {
      {"no inputs", 1, {}, four},
      {"three inputs, two outputs", 2, {map(), second(), idx()}, four},
      {"two outputs", 2, {map(), second(), idx(), st()}, outputs},
      {"two outputs, five inputs", 2, {map(), second(), idx(), st(), exampleMask()}, outputs},
      {"secondMap rows", 1, {map(), zeros(2, 4), idx(), st()}, dims},
      {"secondMap columns", 1, {map(), zeros(3, 5), idx(), st()}, dims},
      {"secondMap 4-by-3", 1, {map(), zeros(4, 3), idx(), st()}, dims},
      {"secondMap P-by-1", 1, {map(), zeros(12, 1), idx(), st()}, dims},
      {"pairStart P + 2 elements",
       1,
       {map(), second(), idx(), makeUint32Column(List(14, 0))},
       dims},
      {"pairStart P elements", 1, {map(), second(), idx(), makeUint32Column(List(12, 0))}, dims},
      {"pairStart one element",
       1,
       {emptyDouble(), emptyDouble(), idx(), makeUint32Column({0})},
       dims},
      {"pairStart empty", 1, {emptyDouble(), emptyDouble(), idx(), uint32Array(0, 0, {})}, dims},
      {"empty valueMap",
       1,
       {emptyDouble(0, 4), emptyDouble(0, 4), idx(), makeUint32Column({0})},
       dims},
      {"sizes before classes", 1, {map(), zeros(4, 3), doubleIndex(), st()}, dims},
      {"pairIndex double", 1, {map(), second(), doubleIndex(), st()}, uint32},
      {"pairStart int32",
       1,
       {map(), second(), idx(), makeTyped<int32_t>(mxINT32_CLASS, 13, 1, std::vector<int32_t>(13))},
       uint32},
      {"pairIndex before mask", 1, {map(), second(), doubleIndex(), st(), zeros(2, 2)}, uint32},
      {"mask rows", 1, {map(), second(), idx(), st(), makeDouble(2, 4, Values(8, 1))}, mask},
      {"mask columns", 1, {map(), second(), idx(), st(), makeDouble(3, 1, Values(3, 1))}, mask},
      {"mask P-by-1", 1, {map(), second(), idx(), st(), makeDouble(12, 1, Values(12, 1))}, mask},
      {"mask single",
       1,
       {map(), second(), idx(), st(),
        makeTyped<float>(mxSINGLE_CLASS, 3, 4, std::vector<float>(12))},
       mask},
      {"mask logical",
       1,
       {map(), second(), idx(), st(), hostlayer::makeLogical(3, 4, std::vector<int>(12, 1))},
       mask},
      {"sparse logical mask: class first",
       1,
       {map(), second(), idx(), st(), hostlayer::makeSparseLogical(3, 4, {0, 0, 0, 0, 0}, {}, {})},
       mask},
      {"mask before the map's class", 1, {singleMap(), second(), idx(), st(), makeScalar(1)}, mask},
      {"valueMap single", 1, {singleMap(), second(), idx(), st()}, mapClass},
      {"valueMap int32",
       1,
       {makeTyped<int32_t>(mxINT32_CLASS, 3, 4, std::vector<int32_t>(12)), second(), idx(), st()},
       mapClass},
      {"valueMap logical",
       1,
       {hostlayer::makeLogical(3, 4, std::vector<int>(12, 1)), second(), idx(), st()},
       mapClass},
      {"valueMap sparse", 1, {sparseMap(), second(), idx(), st()}, mapClass},
      {"mask sparse", 1, {map(), second(), idx(), st(), sparseMask()}, maskFull},
      {"map class before sparse mask",
       1,
       {singleMap(), second(), idx(), st(), sparseMask()},
       mapClass},
      {"range beyond pairIndex", 1, {map(), second(), idx(), makeUint32Column(startBeyond)}, range},
      {"entry equal to P", 1, {map(), second(), makeUint32Column(entryP), st()}, entry},
      {"entry negative as int32",
       1,
       {map(), second(), makeUint32Column(entryNegative), st()},
       entry},
      {"sparse mask before the pattern",
       1,
       {map(), second(), makeUint32Column(entryP), st(), sparseMask()},
       maskFull},
      {"map class before the pattern",
       1,
       {singleMap(), second(), idx(), makeUint32Column(startBeyond)},
       mapClass},
  };
  expectErrors(cases);
}

TEST_F(PathpeakGateway, OutOfMemory) {
  hostlayer::failCreation(1);
  auto r = callModule(1, exampleInputs());
  EXPECT_TRUE(failsWith(r, "Not enough memory for the output matrix"));
  EXPECT_EQ(hostlayer::creationCount(), 1);
}

TEST_F(PathpeakGateway, RepeatedCallsAgree) {
  auto first = callModule(1, with(exampleInputs(), {exampleMask()}));
  auto second = callModule(1, exampleInputs());
  auto third = callModule(1, with(exampleInputs(), {exampleMask()}));
  ASSERT_TRUE(succeeds(first));
  ASSERT_TRUE(succeeds(second));
  ASSERT_TRUE(succeeds(third));
  EXPECT_TRUE(sameBits(realOf(second.out[0]), kWeights));
  EXPECT_TRUE(sameBits(realOf(first.out[0]), realOf(third.out[0])));
}
