// packcols: the kernel on plain arrays and the gateway through the host layer.
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "kernels.h"
#include "testutil.h"

using hostlayer::makeDouble;
using hostlayer::makeRow;
using hostlayer::makeScalar;
using hostlayer::makeTyped;

namespace {

using Index = std::vector<int64_t>;

const double kNaN = std::nan("");
const double kInf = std::numeric_limits<double>::infinity();

mxArray* u32(size_t m, size_t n, const std::vector<uint32_t>& v) {
  return makeTyped(mxUINT32_CLASS, m, n, v);
}
mxArray* u32(const std::vector<uint32_t>& v) { return u32(1, v.size(), v); }
mxArray* i32(const std::vector<int32_t>& v) { return makeTyped(mxINT32_CLASS, 1, v.size(), v); }

// The lists of the 3-by-3 example: columns {0: rows 0, 2}, {1: none}, {2: rows 1, 2}.
mxArray* exRows() { return u32({0, 2, 1, 2}); }
mxArray* exStarts() { return u32({0, 2, 2, 4}); }
mxArray* exValues() { return makeRow({0.5, 1.5, 2, 3}); }

}  // namespace

TEST(PackcolsKernel, CopiesEveryListExactlyAndNothingMore) {
  const std::vector<uint32_t> rows = {0, 2, 1, 2147483646u};
  const std::vector<uint32_t> starts = {0, 2, 2, 4};
  const std::vector<double> values = {-0.0, kNaN, 0.0, 3};
  const mwIndex mark = static_cast<mwIndex>(77);
  std::vector<mwIndex> ir(5, mark), jc(5, mark);
  std::vector<double> pr(5, 99);
  packcolsKernel(rows.data(), starts.data(), values.data(), 4, 3, ir.data(), jc.data(), pr.data());
  for (size_t k = 0; k < 4; ++k) {
    EXPECT_EQ(static_cast<int64_t>(ir[k]), int64_t(rows[k])) << k;
    EXPECT_EQ(static_cast<int64_t>(jc[k]), int64_t(starts[k])) << k;
  }
  EXPECT_TRUE(std::signbit(pr[0]) && pr[0] == 0);
  EXPECT_TRUE(std::isnan(pr[1]));
  EXPECT_EQ(pr[3], 3);
  EXPECT_EQ(ir[4], mark);
  EXPECT_EQ(jc[4], mark);
  EXPECT_EQ(pr[4], 99);
}

class PackcolsGateway : public HostTest {};

TEST_F(PackcolsGateway, ThreeByThreeExample) {
  auto r = callModule(1, {exRows(), exStarts(), exValues(), makeScalar(3)});
  ASSERT_TRUE(succeeds(r));
  const mxArray* s = r.out[0];
  ASSERT_NE(s, nullptr);
  EXPECT_TRUE(mxIsSparse(s));
  EXPECT_TRUE(mxIsDouble(s));
  EXPECT_EQ(mxGetPi(s), nullptr);
  EXPECT_EQ(mxGetM(s), 3u);
  EXPECT_EQ(mxGetN(s), 3u);
  EXPECT_EQ(mxGetNzmax(s), static_cast<mwSize>(4));
  EXPECT_EQ(hostlayer::irOf(s), (Index{0, 2, 1, 2}));
  EXPECT_EQ(hostlayer::jcOf(s), (Index{0, 2, 2, 4}));
  EXPECT_EQ(hostlayer::realOf(s), (std::vector<double>{0.5, 1.5, 2, 3}));
  EXPECT_EQ(hostlayer::creationCount(), 1);
}

TEST_F(PackcolsGateway, ShapesClassesAndRowCounts) {
  struct Case {
    const char* name;
    std::vector<const mxArray*> in;
    size_t rows, cols;
    Index ir, jc;
    std::vector<double> pr;
  };
  const Index exIr = {0, 2, 1, 2}, exJc = {0, 2, 2, 4};
  const std::vector<double> exPr = {0.5, 1.5, 2, 3};
  const std::vector<Case> cases = {
      {"row count 5: capacity stays 4",
       {exRows(), exStarts(), exValues(), makeScalar(5)},
       5,
       3,
       exIr,
       exJc,
       exPr},
      {"row count 3.7",
       {exRows(), exStarts(), exValues(), makeScalar(3.7)},
       3,
       3,
       exIr,
       exJc,
       exPr},
      {"row count read from its first element",
       {exRows(), exStarts(), exValues(), makeRow({3, 0})},
       3,
       3,
       exIr,
       exJc,
       exPr},
      {"row count of class uint8",
       {exRows(), exStarts(), exValues(), makeTyped<uint8_t>(mxUINT8_CLASS, 1, 1, {3})},
       3,
       3,
       exIr,
       exJc,
       exPr},
      {"int32 lists",
       {i32({0, 2, 1, 2}), i32({0, 2, 2, 4}), exValues(), makeScalar(3)},
       3,
       3,
       exIr,
       exJc,
       exPr},
      {"int32 rows, uint32 starts",
       {i32({0, 2, 1, 2}), exStarts(), exValues(), makeScalar(3)},
       3,
       3,
       exIr,
       exJc,
       exPr},
      {"shapes do not matter",
       {u32(4, 1, {0, 2, 1, 2}), u32(2, 2, {0, 2, 2, 4}), makeDouble(2, 2, exPr), makeScalar(3)},
       3,
       3,
       exIr,
       exJc,
       exPr},
      {"full 2-by-3",
       {u32({0, 1, 0, 1, 0, 1}), u32({0, 2, 4, 6}), makeRow({1, 2, 3, 4, 5, 6}), makeScalar(2)},
       2,
       3,
       {0, 1, 0, 1, 0, 1},
       {0, 2, 4, 6},
       {1, 2, 3, 4, 5, 6}},
      {"stored zeros and empty first and last columns kept",
       {u32({1, 0}), u32({0, 0, 1, 2, 2}), makeRow({0, -0.0}), makeScalar(2)},
       2,
       4,
       {1, 0},
       {0, 0, 1, 2, 2},
       {0, -0.0}},
      {"complex values: real part",
       {exRows(), exStarts(), makeDouble(1, 4, exPr, {9, 9, 9, 9}), makeScalar(3)},
       3,
       3,
       exIr,
       exJc,
       exPr},
      {"largest row index and row count",
       {u32({0, 2147483646u}), u32({0, 2}), makeRow({1, 2}), makeScalar(2147483647.0)},
       2147483647u,
       1,
       {0, 2147483646},
       {0, 2},
       {1, 2}},
      {"rows ascend within columns only",
       {u32({1, 2, 0, 0}), u32({0, 2, 3, 4}), exValues(), makeScalar(3)},
       3,
       3,
       {1, 2, 0, 0},
       {0, 2, 3, 4},
       exPr},
      {"fewer entries than columns with row count 1",
       {u32({0}), u32({0, 0, 1}), makeRow({7}), makeScalar(1)},
       1,
       2,
       {0},
       {0, 0, 1},
       {7}},
  };
  for (const auto& c : cases) {
    hostlayer::clearCounters();
    auto r = callModule(1, c.in);
    ASSERT_TRUE(succeeds(r)) << c.name;
    const mxArray* s = r.out[0];
    EXPECT_EQ(mxGetM(s), c.rows) << c.name;
    EXPECT_EQ(mxGetN(s), c.cols) << c.name;
    EXPECT_EQ(mxGetNzmax(s), static_cast<mwSize>(c.ir.size())) << c.name;
    EXPECT_EQ(mxGetPi(s), nullptr) << c.name;
    EXPECT_EQ(hostlayer::irOf(s), c.ir) << c.name;
    EXPECT_EQ(hostlayer::jcOf(s), c.jc) << c.name;
    const auto pr = hostlayer::realOf(s);
    ASSERT_EQ(pr.size(), c.pr.size()) << c.name;
    for (size_t k = 0; k < pr.size(); ++k) {
      EXPECT_EQ(pr[k], c.pr[k]) << c.name << " " << k;
      EXPECT_EQ(std::signbit(pr[k]), std::signbit(c.pr[k])) << c.name << " " << k;
    }
  }
}

TEST_F(PackcolsGateway, EmptyListsReturnWithoutOutput) {
  struct Case {
    const char* name;
    std::vector<const mxArray*> in;
  };
  const std::vector<Case> cases = {
      {"no row indices, other inputs ignored",
       {u32({}), u32({0, 2, 2, 4}), makeRow({1, 2, 3}), makeScalar(kNaN)}},
      {"0-by-3 row indices", {u32(0, 3, {}), emptyDouble(), emptyDouble(), emptyDouble()}},
      {"empty double row indices",
       {emptyDouble(), makeRow({0.5}), makeScalar(1), hostlayer::makeLogical(1, 1, {1})}},
      {"one column start", {exRows(), u32({0}), makeRow({1, 2}), makeScalar(kNaN)}},
      {"no column starts", {exRows(), u32({}), makeRow({1}), emptyDouble()}},
      {"one double column start", {exRows(), makeScalar(0), makeRow({1}), makeScalar(-1)}},
  };
  for (int nOut : {0, 1}) {
    for (const auto& c : cases) {
      hostlayer::clearCounters();
      auto r = callModule(nOut, c.in);
      ASSERT_TRUE(succeeds(r)) << c.name;
      ASSERT_EQ(r.out.size(), 1u);
      EXPECT_EQ(r.out[0], nullptr) << c.name;
      EXPECT_EQ(hostlayer::creationCount(), 0) << c.name;
    }
  }
}

TEST_F(PackcolsGateway, ZeroOutputsStillFillSlotZero) {
  auto r = callModule(0, {exRows(), exStarts(), exValues(), makeScalar(3)});
  ASSERT_TRUE(succeeds(r));
  ASSERT_NE(r.out[0], nullptr);
  EXPECT_EQ(hostlayer::jcOf(r.out[0]), (Index{0, 2, 2, 4}));
}

TEST_F(PackcolsGateway, ErrorsInOrder) {
  const char* const fourInputs = "Four input arguments required";
  const char* const tooMany = "Too many output arguments.";
  const char* const mismatch = "index and value dimension mismatch";
  const char* const cannotFit = "Impossible to fit all the nonzeros into the matrix you specififed";
  const char* const rowCountEmpty = "row count should not be empty";
  const char* const rowsClass = "row indices should be a full int32 or uint32 array";
  const char* const startsClass = "column starts should be a full int32 or uint32 array";
  const char* const valuesClass = "values should be a full double array";
  const char* const startsBroken =
      "column starts should begin at 0, never decrease and end at the number of row indices";
  const char* const rowRange = "row indices should lie between 0 and the row count minus 1";
  const char* const rowOrder = "row indices should ascend within each column";
  auto sparseRow = [] {
    return hostlayer::makeSparse(1, 4, {0, 1, 2, 3, 4}, {0, 0, 0, 0}, {0, 2, 1, 2});
  };
  const std::vector<ErrorCase> cases = {
      {"no inputs", 1, {}, fourInputs},
      {"three inputs, two outputs", 2, {exRows(), exStarts(), exValues()}, fourInputs},
      {"five inputs",
       1,
       {exRows(), exStarts(), exValues(), makeScalar(3), makeScalar(3)},
       fourInputs},
      {"two outputs", 2, {exRows(), exStarts(), exValues(), makeScalar(3)}, tooMany},
      {"two outputs, empty lists", 2, {u32({}), exStarts(), exValues(), makeScalar(3)}, tooMany},
      {"four rows, three values",
       1,
       {exRows(), exStarts(), makeRow({1, 2, 3}), makeScalar(3)},
       mismatch},
      {"mismatch before the row count",
       1,
       {exRows(), exStarts(), makeRow({1}), emptyDouble()},
       mismatch},
      {"mismatch before classes",
       1,
       {makeRow({0, 2, 1, 2}), exStarts(), makeTyped<float>(mxSINGLE_CLASS, 1, 2, {1, 2}),
        makeScalar(3)},
       mismatch},
      {"row count 0.9", 1, {exRows(), exStarts(), exValues(), makeScalar(0.9)}, cannotFit},
      {"row count 0", 1, {exRows(), exStarts(), exValues(), makeScalar(0)}, cannotFit},
      {"row count -1", 1, {exRows(), exStarts(), exValues(), makeScalar(-1)}, cannotFit},
      {"row count NaN", 1, {exRows(), exStarts(), exValues(), makeScalar(kNaN)}, cannotFit},
      {"row count Inf", 1, {exRows(), exStarts(), exValues(), makeScalar(kInf)}, cannotFit},
      {"row count 2^31",
       1,
       {exRows(), exStarts(), exValues(), makeScalar(2147483648.0)},
       cannotFit},
      {"six entries, three columns, one row",
       1,
       {u32({0, 1, 0, 1, 0, 1}), u32({0, 2, 4, 6}), makeRow({1, 2, 3, 4, 5, 6}), makeScalar(1)},
       cannotFit},
      {"fit test before classes",
       1,
       {makeRow({0, 2, 1, 2}), makeRow({0, 2, 2, 4}), exValues(), makeScalar(0)},
       cannotFit},
      {"empty row count", 1, {exRows(), exStarts(), exValues(), emptyDouble(1, 0)}, rowCountEmpty},
      {"double row indices",
       1,
       {makeRow({0, 2, 1, 2}), exStarts(), exValues(), makeScalar(3)},
       rowsClass},
      {"uint8 row indices",
       1,
       {makeTyped<uint8_t>(mxUINT8_CLASS, 1, 4, {0, 2, 1, 2}), exStarts(), exValues(),
        makeScalar(3)},
       rowsClass},
      {"int16 row indices",
       1,
       {makeTyped<int16_t>(mxINT16_CLASS, 1, 4, {0, 2, 1, 2}), exStarts(), exValues(),
        makeScalar(3)},
       rowsClass},
      {"uint64 row indices",
       1,
       {makeTyped<uint64_t>(mxUINT64_CLASS, 1, 4, {0, 2, 1, 2}), exStarts(), exValues(),
        makeScalar(3)},
       rowsClass},
      {"single row indices",
       1,
       {makeTyped<float>(mxSINGLE_CLASS, 1, 4, {0, 2, 1, 2}), exStarts(), exValues(),
        makeScalar(3)},
       rowsClass},
      {"logical row indices",
       1,
       {hostlayer::makeLogical(1, 4, {0, 1, 1, 1}), exStarts(), exValues(), makeScalar(3)},
       rowsClass},
      {"sparse row indices", 1, {sparseRow(), exStarts(), exValues(), makeScalar(3)}, rowsClass},
      {"row class before start class",
       1,
       {makeRow({0, 2, 1, 2}), makeRow({0, 2, 2, 4}), exValues(), makeScalar(3)},
       rowsClass},
      {"double column starts",
       1,
       {exRows(), makeRow({0, 2, 2, 4}), exValues(), makeScalar(3)},
       startsClass},
      {"int64 column starts",
       1,
       {exRows(), makeTyped<int64_t>(mxINT64_CLASS, 1, 4, {0, 2, 2, 4}), exValues(), makeScalar(3)},
       startsClass},
      {"char column starts",
       1,
       {exRows(), makeTyped<char16_t>(mxCHAR_CLASS, 1, 4, {0, 2, 2, 4}), exValues(), makeScalar(3)},
       startsClass},
      {"start class before value class",
       1,
       {exRows(), makeRow({0, 2, 2, 4}), u32({1, 2, 3, 4}), makeScalar(3)},
       startsClass},
      {"uint32 values", 1, {exRows(), exStarts(), u32({1, 2, 3, 4}), makeScalar(3)}, valuesClass},
      {"single values",
       1,
       {exRows(), exStarts(), makeTyped<float>(mxSINGLE_CLASS, 1, 4, {1, 2, 3, 4}), makeScalar(3)},
       valuesClass},
      {"int64 values",
       1,
       {exRows(), exStarts(), makeTyped<int64_t>(mxINT64_CLASS, 1, 4, {1, 2, 3, 4}), makeScalar(3)},
       valuesClass},
      {"sparse values", 1, {exRows(), exStarts(), sparseRow(), makeScalar(3)}, valuesClass},
      {"value class before list contents",
       1,
       {exRows(), u32({1, 2, 2, 4}), hostlayer::makeLogical(1, 4, {1, 1, 1, 1}), makeScalar(3)},
       valuesClass},
      {"starts begin at 1",
       1,
       {exRows(), u32({1, 2, 2, 4}), exValues(), makeScalar(3)},
       startsBroken},
      {"starts decrease",
       1,
       {exRows(), u32({0, 3, 2, 4}), exValues(), makeScalar(3)},
       startsBroken},
      {"starts end short",
       1,
       {exRows(), u32({0, 2, 2, 3}), exValues(), makeScalar(3)},
       startsBroken},
      {"starts end beyond the entries",
       1,
       {exRows(), u32({0, 2, 2, 5}), exValues(), makeScalar(3)},
       startsBroken},
      {"negative int32 start",
       1,
       {exRows(), i32({0, -1, 2, 4}), exValues(), makeScalar(3)},
       startsBroken},
      {"int32 start of -2^31 before a valid end",
       1,
       {exRows(), i32({0, std::numeric_limits<int32_t>::min(), 4, 4}), exValues(), makeScalar(3)},
       startsBroken},
      {"starts checked before rows",
       1,
       {u32({5, 5, 5, 5}), u32({0, 3, 2, 4}), exValues(), makeScalar(3)},
       startsBroken},
      {"row equal to the row count",
       1,
       {u32({0, 3, 1, 2}), exStarts(), exValues(), makeScalar(3)},
       rowRange},
      {"row count 3.7 still means 3 rows",
       1,
       {u32({0, 3, 1, 2}), exStarts(), exValues(), makeScalar(3.7)},
       rowRange},
      {"row 2^32 - 1",
       1,
       {u32({0, 2, 1, 4294967295u}), exStarts(), exValues(), makeScalar(3)},
       rowRange},
      {"negative int32 row",
       1,
       {i32({0, 2, -1, 2}), exStarts(), exValues(), makeScalar(3)},
       rowRange},
      {"row count 0 passes the fit test",
       1,
       {u32({0}), u32({0, 0, 1}), makeRow({7}), makeScalar(0)},
       rowRange},
      {"rows descend", 1, {u32({2, 0, 1, 2}), exStarts(), exValues(), makeScalar(3)}, rowOrder},
      {"row repeated", 1, {u32({0, 2, 2, 2}), exStarts(), exValues(), makeScalar(3)}, rowOrder},
      {"first fault in entry order decides",
       1,
       {u32({2, 0, 1, 9}), exStarts(), exValues(), makeScalar(3)},
       rowOrder},
      {"range fault first",
       1,
       {u32({0, 9, 2, 1}), exStarts(), exValues(), makeScalar(3)},
       rowRange},
  };
  expectErrors(cases);
}

TEST_F(PackcolsGateway, OutOfMemory) {
  hostlayer::failCreation(1);
  auto r = callModule(1, {exRows(), exStarts(), exValues(), makeScalar(3)});
  EXPECT_TRUE(failsWith(r, "Not enough memory for the output matrix"));
  EXPECT_EQ(hostlayer::creationCount(), 1);
}

TEST_F(PackcolsGateway, RepeatedCallsAgree) {
  auto first = callModule(1, {exRows(), exStarts(), exValues(), makeScalar(3)});
  auto second = callModule(1, {exRows(), exStarts(), exValues(), makeScalar(3)});
  ASSERT_TRUE(succeeds(first));
  ASSERT_TRUE(succeeds(second));
  EXPECT_NE(first.out[0], second.out[0]);
  EXPECT_EQ(hostlayer::irOf(first.out[0]), hostlayer::irOf(second.out[0]));
  EXPECT_EQ(hostlayer::realOf(first.out[0]), hostlayer::realOf(second.out[0]));
}
