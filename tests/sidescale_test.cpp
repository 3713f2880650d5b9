// sidescale: the kernel on plain arrays and the gateway through the host layer.
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "kernels.h"
#include "testutil.h"

using hostlayer::imagOf;
using hostlayer::irOf;
using hostlayer::jcOf;
using hostlayer::makeColumn;
using hostlayer::makeDouble;
using hostlayer::makeRow;
using hostlayer::makeScalar;
using hostlayer::makeSparse;
using hostlayer::realOf;

namespace {

using Values = std::vector<double>;
using Indices = std::vector<int64_t>;

const double kSentinel = -777.25;
const mwIndex kIndexSentinel = 77;

// R's storage as the kernel leaves it, with capacity slots; slots beyond the stored entries
// start as sentinels.
struct Storage {
  std::vector<mwIndex> jc, ir;
  Values re, im;
};

struct Input {
  std::vector<mwIndex> jc, ir;
  Values re, im;
};

Input toInput(const Indices& jc, const Indices& ir, const Values& re, const Values& im = {}) {
  Input s;
  for (int64_t v : jc) s.jc.push_back(static_cast<mwIndex>(v));
  for (int64_t v : ir) s.ir.push_back(static_cast<mwIndex>(v));
  s.re = re;
  s.im = im;
  return s;
}

Storage runKernel(const Input& s, const double* rowFactor, const double* colFactor,
                  size_t capacity) {
  Storage r;
  r.jc.assign(s.jc.size(), kIndexSentinel);
  r.ir.assign(capacity, kIndexSentinel);
  r.re.assign(capacity, kSentinel);
  if (!s.im.empty()) r.im.assign(capacity, kSentinel);
  sidescaleKernel(static_cast<int32_t>(s.jc.size() - 1), s.jc.data(), s.ir.data(), s.re.data(),
                  s.im.empty() ? nullptr : s.im.data(), rowFactor, colFactor, r.jc.data(),
                  r.ir.data(), r.re.data(), r.im.empty() ? nullptr : r.im.data());
  return r;
}

// The 2-by-2 matrix with S(0,0) = 1, S(1,0) = 2, S(1,1) = 3.
const Indices kJc = {0, 2, 3};
const Indices kIr = {0, 1, 1};
const Values kRe = {1, 2, 3};
const Values kIm = {1, 0, -1};
const Values kRowFactor = {10, 100};
const Values kColFactor = {2, 5};

struct ExampleRow {
  const char* name;
  bool row, col;
  Values re, im;
};
const ExampleRow kExample[] = {
    {"both sides", true, true, {20, 400, 1500}, {20, 0, -500}},
    {"rows only", true, false, {10, 200, 300}, {10, 0, -100}},
    {"columns only", false, true, {2, 4, 15}, {2, 0, -5}},
    {"neither", false, false, {1, 2, 3}, {1, 0, -1}},
};

// With these values each order of the two products rounds differently.
const double kRowValue = 0.7, kStored = 3.0, kColValue = 0.9;
const double kRowFirst = 1.8899999999999997;

std::vector<int64_t> asInt64(const std::vector<mwIndex>& v) {
  std::vector<int64_t> out;
  for (mwIndex x : v) out.push_back(static_cast<int64_t>(x));
  return out;
}

}  // namespace

TEST(SidescaleKernel, ExampleRealAndComplex) {
  for (const auto& row : kExample) {
    const double* rf = row.row ? kRowFactor.data() : nullptr;
    const double* cf = row.col ? kColFactor.data() : nullptr;
    Storage real = runKernel(toInput(kJc, kIr, kRe), rf, cf, 3);
    EXPECT_EQ(asInt64(real.jc), kJc) << row.name;
    EXPECT_EQ(asInt64(real.ir), kIr) << row.name;
    EXPECT_EQ(real.re, row.re) << row.name;
    Storage cplx = runKernel(toInput(kJc, kIr, kRe, kIm), rf, cf, 3);
    EXPECT_EQ(cplx.re, row.re) << row.name;
    EXPECT_EQ(cplx.im, row.im) << row.name;
  }
}

TEST(SidescaleKernel, WritesOnlyTheStoredPositions) {
  Storage r = runKernel(toInput(kJc, kIr, kRe, kIm), kRowFactor.data(), kColFactor.data(), 6);
  for (size_t k = 3; k < 6; ++k) {
    EXPECT_EQ(r.ir[k], kIndexSentinel) << k;
    EXPECT_EQ(r.re[k], kSentinel) << k;
    EXPECT_EQ(r.im[k], kSentinel) << k;
  }
}

TEST(SidescaleKernel, RowFactorFirstFixesTheRounding) {
  // The fixture is only a test of the order if the other orders round differently.
  ASSERT_NE(kRowValue * (kStored * kColValue), kRowFirst);
  ASSERT_NE((kRowValue * kColValue) * kStored, kRowFirst);
  ASSERT_EQ((kRowValue * kStored) * kColValue, kRowFirst);
  const Values rowFactor = {1, kRowValue}, colFactor = {kColValue};
  Storage r =
      runKernel(toInput({0, 1}, {1}, {kStored}, {-kStored}), rowFactor.data(), colFactor.data(), 1);
  EXPECT_EQ(r.re[0], kRowFirst);
  EXPECT_EQ(r.im[0], -kRowFirst);
}

TEST(SidescaleKernel, SpecialValuesAndStoredZeros) {
  const double inf = INFINITY;
  // Stored zeros, -0, NaN and infinities go through the same products; nothing is dropped, and
  // an unscaled side is not a multiplication by 1 (a -0 survives the copy).
  const Values rowFactor = {0, -1}, colFactor = {inf, 1};
  Storage r = runKernel(toInput(kJc, kIr, {1, 0, -0.0}), rowFactor.data(), colFactor.data(), 3);
  EXPECT_TRUE(std::isnan(r.re[0]));  // (0 * 1) * inf
  EXPECT_TRUE(std::isnan(r.re[1]));  // (-1 * 0) * inf
  EXPECT_EQ(r.re[2], 0.0);
  EXPECT_FALSE(std::signbit(r.re[2]));  // (-1 * -0) * 1
  Storage copy = runKernel(toInput(kJc, kIr, {0, -0.0, NAN}), nullptr, nullptr, 3);
  EXPECT_FALSE(std::signbit(copy.re[0]));
  EXPECT_TRUE(std::signbit(copy.re[1]));
  EXPECT_TRUE(std::isnan(copy.re[2]));
  EXPECT_EQ(asInt64(copy.ir), kIr);
}

TEST(SidescaleKernel, NoEntriesOrNoColumnsReadNoFactor) {
  // Factors of no elements: any read is outside them (reported by the sanitizer build).
  std::unique_ptr<double[]> none(new double[0]);
  Storage empty = runKernel(toInput({0, 0, 0, 0}, {}, {}), none.get(), none.get(), 1);
  EXPECT_EQ(asInt64(empty.jc), (Indices{0, 0, 0, 0}));
  EXPECT_EQ(empty.ir[0], kIndexSentinel);
  Storage noCols = runKernel(toInput({0}, {}, {}), none.get(), none.get(), 1);
  EXPECT_EQ(asInt64(noCols.jc), (Indices{0}));
}

class SidescaleGateway : public HostTest {};

TEST_F(SidescaleGateway, ExampleRealAndComplex) {
  for (bool complex : {false, true}) {
    for (const auto& row : kExample) {
      hostlayer::reset();
      mxArray* s = complex ? makeSparse(2, 2, kJc, kIr, kRe, kIm) : makeSparse(2, 2, kJc, kIr, kRe);
      auto r = callModule(1, {s, row.row ? makeColumn(kRowFactor) : emptyDouble(),
                              row.col ? makeRow(kColFactor) : emptyDouble()});
      ASSERT_TRUE(succeeds(r)) << row.name;
      const mxArray* R = r.out[0];
      EXPECT_TRUE(mxIsSparse(R) && mxIsDouble(R)) << row.name;
      EXPECT_EQ(mxGetM(R), 2u);
      EXPECT_EQ(mxGetN(R), 2u);
      EXPECT_EQ(static_cast<int64_t>(mxGetNzmax(R)), 3);
      EXPECT_EQ(jcOf(R), kJc) << row.name;
      EXPECT_EQ(irOf(R), kIr) << row.name;
      EXPECT_EQ(realOf(R), row.re) << row.name;
      EXPECT_EQ(mxGetPi(R) != nullptr, complex) << row.name;
      if (complex) {
        EXPECT_EQ(imagOf(R), row.im) << row.name;
      }
    }
  }
}

TEST_F(SidescaleGateway, ShapesLengthsAndEmptyArrays) {
  struct Case {
    const char* name;
    std::vector<const mxArray*> in;
    size_t m, n;
    int64_t capacity;
    Indices jc, ir;
    Values re;
  };
  auto example = [] { return makeSparse(2, 2, kJc, kIr, kRe); };
  // 2-by-3 with one entry in each of columns 0 and 1 and two in column 2.
  auto wide = [] { return makeSparse(2, 3, {0, 1, 2, 4}, {1, 0, 0, 1}, {1, 2, 3, 4}); };
  const std::vector<Case> cases = {
      {"zero factor keeps a stored zero",
       {example(), makeColumn({0, 1}), emptyDouble()},
       2,
       2,
       3,
       kJc,
       kIr,
       {0, 2, 3}},
      {"row vector as rowFactor",
       {example(), makeRow(kRowFactor), makeColumn(kColFactor)},
       2,
       2,
       3,
       kJc,
       kIr,
       {20, 400, 1500}},
      {"2-by-3 colFactor for 3 columns: storage positions 0 to 2",
       {wide(), emptyDouble(), makeDouble(2, 3, {2, 5, 7, 99, 99, 99})},
       2,
       3,
       4,
       {0, 1, 2, 4},
       {1, 0, 0, 1},
       {2, 10, 21, 28}},
      {"complex rowFactor scales by its real part",
       {example(), makeDouble(2, 1, {10, 100}, {1, -1}), emptyDouble()},
       2,
       2,
       3,
       kJc,
       kIr,
       {10, 200, 300}},
      {"0-by-2 rowFactor leaves the rows unscaled",
       {example(), emptyDouble(0, 2), makeRow(kColFactor)},
       2,
       2,
       3,
       kJc,
       kIr,
       {2, 4, 15}},
      {"2-by-0 colFactor leaves the columns unscaled",
       {example(), makeColumn(kRowFactor), emptyDouble(2, 0)},
       2,
       2,
       3,
       kJc,
       kIr,
       {10, 200, 300}},
      {"capacity 10 with 3 entries",
       {makeSparse(2, 2, kJc, kIr, kRe, {}, 10), makeColumn(kRowFactor), makeRow(kColFactor)},
       2,
       2,
       10,
       kJc,
       kIr,
       {20, 400, 1500}},
      {"no stored entries",
       {makeSparse(2, 3, {0, 0, 0, 0}, {}, {}, {}, 5), makeColumn({1, 2}), makeRow({1, 2, 3})},
       2,
       3,
       5,
       {0, 0, 0, 0},
       {},
       {}},
      {"no columns",
       {makeSparse(3, 0, {0}, {}, {}), makeColumn({1, 2, 3}), emptyDouble()},
       3,
       0,
       1,
       {0},
       {},
       {}},
      {"no rows",
       {makeSparse(0, 3, {0, 0, 0, 0}, {}, {}), emptyDouble(), makeRow({1, 2, 3})},
       0,
       3,
       1,
       {0, 0, 0, 0},
       {},
       {}},
      {"row index beyond m is copied when no rowFactor reads it",
       {makeSparse(2, 2, kJc, {0, 2, 1}, kRe), emptyDouble(), makeRow(kColFactor)},
       2,
       2,
       3,
       kJc,
       {0, 2, 1},
       {2, 4, 15}},
  };
  for (const auto& c : cases) {
    hostlayer::clearCounters();
    auto r = callModule(1, c.in);
    ASSERT_TRUE(succeeds(r)) << c.name;
    const mxArray* R = r.out[0];
    EXPECT_EQ(mxGetM(R), c.m) << c.name;
    EXPECT_EQ(mxGetN(R), c.n) << c.name;
    EXPECT_EQ(static_cast<int64_t>(mxGetNzmax(R)), c.capacity) << c.name;
    EXPECT_EQ(jcOf(R), c.jc) << c.name;
    EXPECT_EQ(irOf(R), c.ir) << c.name;
    EXPECT_EQ(realOf(R), c.re) << c.name;
    EXPECT_EQ(mxGetPi(R), nullptr) << c.name;
    EXPECT_EQ(hostlayer::creationCount(), 1) << c.name;
  }
}

TEST_F(SidescaleGateway, PositionsBeyondTheEntriesKeepWhatTheHostGave) {
  auto r = callModule(
      1, {makeSparse(2, 2, kJc, kIr, kRe, kIm, 8), makeColumn(kRowFactor), makeRow(kColFactor)});
  ASSERT_TRUE(succeeds(r));
  const mxArray* R = r.out[0];
  for (size_t k = 3; k < 8; ++k) {
    EXPECT_EQ(mxGetPr(R)[k], 0.0) << k;
    EXPECT_EQ(mxGetPi(R)[k], 0.0) << k;
    EXPECT_EQ(static_cast<int64_t>(mxGetIr(R)[k]), 0) << k;
  }
}

TEST_F(SidescaleGateway, RowFactorFirstFixesTheRounding) {
  auto r = callModule(1, {makeSparse(2, 1, {0, 1}, {1}, {kStored}, {kStored}),
                          makeColumn({1, kRowValue}), makeScalar(kColValue)});
  ASSERT_TRUE(succeeds(r));
  EXPECT_EQ(realOf(r.out[0]), Values{kRowFirst});
  EXPECT_EQ(imagOf(r.out[0]), Values{kRowFirst});
}

TEST_F(SidescaleGateway, ResultGoesToSlotZeroWhateverNOut) {
  auto r = callModule(0, {makeSparse(2, 2, kJc, kIr, kRe), makeColumn(kRowFactor), emptyDouble()});
  ASSERT_TRUE(succeeds(r));
  ASSERT_EQ(r.out.size(), 1u);
  EXPECT_EQ(realOf(r.out[0]), (Values{10, 200, 300}));
}

TEST_F(SidescaleGateway, Errors) {
  auto example = [] { return makeSparse(2, 2, kJc, kIr, kRe); };
  auto logicalS = [] { return hostlayer::makeSparseLogical(2, 2, kJc, kIr, {true, true, true}); };
  auto sparseVector = [] { return makeSparse(2, 1, {0, 2}, {0, 1}, {10, 100}); };
  auto full = [] { return makeDouble(2, 2, {1, 2, 0, 3}); };
  auto rf = [] { return makeColumn(kRowFactor); };
  auto cf = [] { return makeRow(kColFactor); };
  auto e = [] { return emptyDouble(); };
  const char* const threeInputs = "Three input arguments required";
  const char* const tooMany = "Too many output arguments.";
  const char* const sparse = "Input argument #1 must be of type sparse";
  const char* const full23 = "Input argument #2 & #3 must be of type full";
  const char* const rowMismatch = "Row multiplication dimension mismatch.";
  const char* const colMismatch = "Column multiplication dimension mismatch.";
  const char* const sDouble = "Input argument #1 must be of class double";
  const char* const factorDouble = "Input argument #2 & #3 must be of class double";
  const char* const broken = "Input argument #1 is not a valid sparse matrix";
  // The last field counts the arrays made first: the refusals added after the documented
  // tests come after R is made.
  const std::vector<ErrorCase> cases = {
      {"no inputs", 1, {}, threeInputs, 0},
      {"two inputs", 1, {example(), rf()}, threeInputs, 0},
      {"four inputs", 1, {example(), rf(), cf(), e()}, threeInputs, 0},
      {"two inputs, two outputs", 2, {example(), rf()}, threeInputs, 0},
      {"two outputs", 2, {example(), rf(), cf()}, tooMany, 0},
      {"full S", 1, {full(), rf(), cf()}, sparse, 0},
      {"full S before sparse factors", 1, {full(), sparseVector(), sparseVector()}, sparse, 0},
      {"full S before lengths", 1, {full(), makeScalar(1), makeScalar(1)}, sparse, 0},
      {"sparse rowFactor", 1, {example(), sparseVector(), cf()}, full23, 0},
      {"sparse colFactor", 1, {example(), rf(), sparseVector()}, full23, 0},
      {"sparse colFactor before lengths", 1, {example(), makeScalar(1), sparseVector()}, full23, 0},
      {"1-by-1 rowFactor for 2 rows", 1, {example(), makeScalar(10), cf()}, rowMismatch, 0},
      {"3 row factors", 1, {example(), makeColumn({1, 2, 3}), e()}, rowMismatch, 0},
      {"0-by-3 rowFactor has length 3", 1, {example(), emptyDouble(0, 3), e()}, rowMismatch, 0},
      {"both lengths wrong", 1, {example(), makeScalar(1), makeScalar(1)}, rowMismatch, 0},
      {"rowFactor for no rows",
       1,
       {makeSparse(0, 2, {0, 0, 0}, {}, {}), makeScalar(1), e()},
       rowMismatch,
       0},
      {"1-by-1 colFactor for 2 columns", 1, {example(), rf(), makeScalar(2)}, colMismatch, 0},
      {"2-by-3 colFactor for 2 columns",
       1,
       {example(), e(), makeDouble(2, 3, {1, 2, 3, 4, 5, 6})},
       colMismatch,
       0},
      {"logical S: lengths first", 1, {logicalS(), makeScalar(1), e()}, rowMismatch, 0},
      {"logical S", 1, {logicalS(), rf(), cf()}, sDouble, 1},
      {"logical S, no factors", 1, {logicalS(), e(), e()}, sDouble, 1},
      {"logical S before factor classes",
       1,
       {logicalS(), hostlayer::makeTyped<float>(mxSINGLE_CLASS, 2, 1, {1, 2}), e()},
       sDouble,
       1},
      {"single rowFactor",
       1,
       {example(), hostlayer::makeTyped<float>(mxSINGLE_CLASS, 2, 1, {10, 100}), cf()},
       factorDouble,
       1},
      {"int32 colFactor",
       1,
       {example(), rf(), hostlayer::makeTyped<int32_t>(mxINT32_CLASS, 1, 2, {2, 5})},
       factorDouble,
       1},
      {"logical colFactor",
       1,
       {example(), e(), hostlayer::makeLogical(1, 2, {1, 1})},
       factorDouble,
       1},
      {"empty int32 rowFactor",
       1,
       {example(), hostlayer::makeTyped<int32_t>(mxINT32_CLASS, 0, 0, std::vector<int32_t>{}), e()},
       factorDouble,
       1},
      {"first column start not 0", 1, {makeSparse(2, 2, {1, 2, 3}, kIr, kRe), e(), e()}, broken, 1},
      {"column starts decrease",
       1,
       {makeSparse(2, 2, {0, 2, 1}, {0, 1, 1}, kRe), e(), cf()},
       broken,
       1},
      {"entries beyond the capacity",
       1,
       {makeSparse(2, 2, {0, 2, 5}, kIr, kRe), e(), e()},
       broken,
       1},
      {"row index m read from rowFactor",
       1,
       {makeSparse(2, 2, kJc, {0, 2, 1}, kRe), rf(), e()},
       broken,
       1},
      {"row index -1 read from rowFactor",
       1,
       {makeSparse(2, 2, kJc, {0, -1, 1}, kRe), rf(), cf()},
       broken,
       1},
  };
  expectErrors(cases);
}

TEST_F(SidescaleGateway, OutOfMemory) {
  // A logical S would be refused too, but only after the documented text.
  for (bool logical : {false, true}) {
    hostlayer::reset();
    hostlayer::failCreation(1);
    mxArray* s = logical ? hostlayer::makeSparseLogical(2, 2, kJc, kIr, {true, true, true})
                         : makeSparse(2, 2, kJc, kIr, kRe, kIm);
    auto r = callModule(1, {s, makeColumn(kRowFactor), makeRow(kColFactor)});
    EXPECT_TRUE(failsWith(r, "Not enough space for the output matrix.")) << logical;
    EXPECT_EQ(hostlayer::creationCount(), 1) << logical;
    EXPECT_EQ(r.out[0], nullptr) << logical;
  }
}
