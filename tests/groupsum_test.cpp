// groupsum: the kernel on plain arrays and the gateway through the host layer.
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "kernels.h"
#include "testutil.h"

using hostlayer::makeColumn;
using hostlayer::makeDouble;
using hostlayer::makeRow;
using hostlayer::makeScalar;
using hostlayer::makeTyped;
using hostlayer::realOf;

namespace {

using Values = std::vector<double>;

const double kNaN = std::nan("");
const double kInf = std::numeric_limits<double>::infinity();

// Data 3-by-2 with rows (1, 10), (2, 20), (3, 30), stored column by column.
mxArray* exData() { return makeDouble(3, 2, {1, 2, 3, 10, 20, 30}); }
mxArray* exLabels() { return makeRow({2, 1, 2}); }

Values runKernel(const Values& data, int32_t rows, int32_t cols, const Values& labels,
                 int32_t groups) {
  Values out(static_cast<size_t>(groups) * static_cast<size_t>(cols), 0.0);
  groupsumKernel(data.data(), rows, cols, labels.data(), groups, out.data());
  return out;
}

// Equal values with equal signs of zero.
::testing::AssertionResult sameBits(const Values& got, const Values& want) {
  if (got.size() != want.size())
    return ::testing::AssertionFailure() << got.size() << " values, expected " << want.size();
  for (size_t k = 0; k < got.size(); ++k)
    if (!(got[k] == want[k] && std::signbit(got[k]) == std::signbit(want[k])))
      return ::testing::AssertionFailure()
             << "element " << k << " is " << got[k] << ", expected " << want[k];
  return ::testing::AssertionSuccess();
}

}  // namespace

TEST(GroupsumKernel, ExampleAndEmptyGroup) {
  EXPECT_TRUE(sameBits(runKernel({1, 2, 3, 10, 20, 30}, 3, 2, {2, 1, 2}, 3), {2, 4, 0, 20, 40, 0}));
}

TEST(GroupsumKernel, AddsInAscendingRowOrderFromPlusZero) {
  // Group 1 gets 1, 1e16, -1e16 in that order in column 1: (0 + 1) + 1e16 rounds to 1e16, and
  // minus 1e16 is exactly 0, while adding the last two first gives 1. In column 2 it gets 1,
  // -1e16, 1e16: (1 - 1e16) rounds to -1e16, plus 1e16 is 0, while reversed it gives 1.
  // Group 2 holds only -0 in column 1 and must come out +0. Group 3 interleaves with group 1.
  const Values data = {1, -0.0, 5, 1e16, 6, -1e16, 1, 7, 5, -1e16, 6, 1e16};
  const Values labels = {1, 2, 3, 1, 3, 1};
  EXPECT_TRUE(sameBits(runKernel(data, 6, 2, labels, 3), {0, 0, 11, 0, 7, 11}));
}

TEST(GroupsumKernel, RowOrderHoldsForRunsMixesAndLeftOutRows) {
  // Runs of one label of every length (so groups of four equal rows, mixed groups, rows left
  // out and short tails all occur), values whose sums depend on their order, and -0; checked
  // against the row-by-row definition.
  const Values pool = {1, 1e16, -1e16, -0.0, 0.5, 3};
  for (int32_t rows = 1; rows <= 41; rows += 4) {
    const int32_t cols = 3, groups = 4;
    Values data(static_cast<size_t>(rows * cols)), labels(static_cast<size_t>(rows));
    for (size_t k = 0; k < data.size(); ++k) data[k] = pool[(k * 7 + k / 5) % pool.size()];
    // Labels 1 to 6 in turn, in runs of 0 to 8 rows; 5 and 6 lie beyond the 4 groups, so
    // those rows are left out.
    for (int32_t i = 0, run = 1; i < rows; ++run)
      for (int32_t r = 0; r < run % 9 && i < rows; ++r)
        labels[static_cast<size_t>(i++)] = 1 + run % 6;
    Values want(static_cast<size_t>(groups * cols), 0.0);
    for (int32_t i = 0; i < rows; ++i) {
      const int32_t g = static_cast<int32_t>(labels[static_cast<size_t>(i)]) - 1;
      if (g >= groups) continue;
      for (int32_t j = 0; j < cols; ++j)
        want[static_cast<size_t>(g + j * groups)] += data[static_cast<size_t>(i + j * rows)];
    }
    EXPECT_TRUE(sameBits(runKernel(data, rows, cols, labels, groups), want)) << rows << " rows";
  }
}

TEST(GroupsumKernel, LeavesOutRowsThatNameNoOutputRow) {
  // Labels below 1, above the group count and NaN add nothing and write nowhere else.
  const Values data = {1, 2, 3, 4, 5, 6};
  EXPECT_TRUE(sameBits(runKernel(data, 6, 1, {0, 3, kNaN, 1, -1, 2.5}, 2), {4, 6}));
}

TEST(GroupsumKernel, NoRowsOrNoColumnsAddNothing) {
  double out[2] = {0, 0};
  groupsumKernel(nullptr, 0, 2, nullptr, 1, out);
  EXPECT_TRUE(sameBits({out[0], out[1]}, {0, 0}));
  const Values labels = {1, 1};
  groupsumKernel(nullptr, 2, 0, labels.data(), 1, nullptr);
}

class GroupsumGateway : public HostTest {};

TEST_F(GroupsumGateway, Examples) {
  struct Case {
    const char* name;
    std::vector<const mxArray*> in;
    size_t rows, cols;
    Values sums;
  };
  const Values ex = {2, 4, 20, 40};
  const std::vector<Case> cases = {
      {"3-by-2 data in two groups", {exData(), exLabels(), makeScalar(2)}, 2, 2, ex},
      {"default count is the column count",
       {makeDouble(2, 3, {1, 4, 2, 5, 3, 6}), makeRow({2, 1})},
       3,
       3,
       {4, 1, 0, 5, 2, 0, 6, 3, 0}},
      {"group count 3", {exData(), exLabels(), makeScalar(3)}, 3, 2, {2, 4, 0, 20, 40, 0}},
      {"group count 2.5", {exData(), exLabels(), makeScalar(2.5)}, 2, 2, ex},
      {"group count of class int8",
       {exData(), exLabels(), makeTyped<int8_t>(mxINT8_CLASS, 1, 1, {2})},
       2,
       2,
       ex},
      {"group count from its first element", {exData(), exLabels(), makeRow({2, 9})}, 2, 2, ex},
      {"labels truncate", {exData(), makeRow({2.9, 1.2, 2.0}), makeScalar(2)}, 2, 2, ex},
      {"labels as a column", {exData(), makeColumn({2, 1, 2}), makeScalar(2)}, 2, 2, ex},
      {"fourth input: third not read",
       {exData(), exLabels(), makeScalar(3), makeScalar(kNaN)},
       2,
       2,
       ex},
      {"fourth input: empty third not read",
       {exData(), exLabels(), emptyDouble(), emptyDouble()},
       2,
       2,
       ex},
      {"complex data and labels: real parts",
       {makeDouble(3, 2, {1, 2, 3, 10, 20, 30}, {7, 7, 7, 7, 7, 7}),
        makeDouble(1, 3, {2, 1, 2}, {-5, 0, 9}), makeScalar(2)},
       2,
       2,
       ex},
      {"no rows: zeros, 4-by-4 by default", {emptyDouble(0, 4), emptyDouble()}, 4, 4, Values(16)},
      {"no rows, group count 0", {emptyDouble(0, 4), emptyDouble(), makeScalar(0)}, 0, 4, {}},
      {"no columns: labels unused",
       {emptyDouble(3, 0), makeRow({0, kNaN, 9}), makeScalar(2)},
       2,
       0,
       {}},
      {"no columns, no count", {emptyDouble(3, 0), makeRow({5, 5, 5})}, 0, 0, {}},
      {"group count -0.5 truncates to 0",
       {emptyDouble(0, 2), emptyDouble(), makeScalar(-0.5)},
       0,
       2,
       {}},
  };
  for (const auto& c : cases) {
    hostlayer::clearCounters();
    auto r = callModule(1, c.in);
    ASSERT_TRUE(succeeds(r)) << c.name;
    const mxArray* s = r.out[0];
    ASSERT_NE(s, nullptr) << c.name;
    EXPECT_TRUE(mxIsDouble(s) && !mxIsSparse(s) && !mxIsComplex(s)) << c.name;
    EXPECT_EQ(mxGetM(s), c.rows) << c.name;
    EXPECT_EQ(mxGetN(s), c.cols) << c.name;
    EXPECT_TRUE(sameBits(realOf(s), c.sums)) << c.name;
    EXPECT_EQ(hostlayer::creationCount(), 1) << c.name;
  }
}

TEST_F(GroupsumGateway, ZeroOutputsStillFillSlotZero) {
  auto r = callModule(0, {exData(), exLabels(), makeScalar(2)});
  ASSERT_TRUE(succeeds(r));
  ASSERT_NE(r.out[0], nullptr);
  EXPECT_TRUE(sameBits(realOf(r.out[0]), {2, 4, 20, 40}));
}

TEST_F(GroupsumGateway, ErrorsInOrder) {
  const char* const twoInputs = "Two input arguments required";
  const char* const tooMany = "Too many output arguments.";
  const char* const mismatch = "Dimension mismatch.";
  const char* const dataClass = "Data should be a full double matrix.";
  const char* const labelsClass = "Labels should be a full double array.";
  const char* const tooLarge = "Data has too many rows or columns.";
  const char* const countEmpty = "Group count should not be empty.";
  const char* const countNegative = "Group count should be nonnegative.";
  const char* const labelRange = "Labels should lie between 1 and the group count.";
  auto sparse3x2 = [] {
    return hostlayer::makeSparse(3, 2, {0, 3, 6}, {0, 1, 2, 0, 1, 2}, {1, 2, 3, 10, 20, 30});
  };
  const std::vector<ErrorCase> cases = {
      {"no inputs", 1, {}, twoInputs},
      {"one input, two outputs", 2, {exData()}, twoInputs},
      {"two outputs", 2, {exData(), exLabels()}, tooMany},
      {"two labels for three rows", 1, {exData(), makeRow({1, 2})}, mismatch},
      {"mismatch before the group count", 1, {exData(), makeRow({1, 2}), emptyDouble()}, mismatch},
      {"mismatch before classes",
       1,
       {makeTyped<float>(mxSINGLE_CLASS, 3, 1, {1, 2, 3}), makeRow({1, 2})},
       mismatch},
      {"single data",
       1,
       {makeTyped<float>(mxSINGLE_CLASS, 3, 1, {1, 2, 3}), makeRow({1, 1, 1})},
       dataClass},
      {"int32 data",
       1,
       {makeTyped<int32_t>(mxINT32_CLASS, 3, 1, {1, 2, 3}), makeRow({1, 1, 1})},
       dataClass},
      {"logical data", 1, {hostlayer::makeLogical(3, 1, {1, 0, 1}), makeRow({1, 1, 1})}, dataClass},
      {"sparse data", 1, {sparse3x2(), exLabels(), makeScalar(2)}, dataClass},
      {"empty single data",
       1,
       {makeTyped<float>(mxSINGLE_CLASS, 0, 4, {}), emptyDouble()},
       dataClass},
      {"data class before labels class",
       1,
       {makeTyped<int32_t>(mxINT32_CLASS, 3, 1, {1, 2, 3}),
        makeTyped<int32_t>(mxINT32_CLASS, 1, 3, {1, 1, 1})},
       dataClass},
      {"int32 labels",
       1,
       {exData(), makeTyped<int32_t>(mxINT32_CLASS, 1, 3, {2, 1, 2})},
       labelsClass},
      {"uint8 labels",
       1,
       {exData(), makeTyped<uint8_t>(mxUINT8_CLASS, 1, 3, {2, 1, 2})},
       labelsClass},
      {"sparse labels",
       1,
       {exData(), hostlayer::makeSparse(1, 3, {0, 1, 2, 3}, {0, 0, 0}, {2, 1, 2})},
       labelsClass},
      {"labels class before group count",
       1,
       {exData(), hostlayer::makeLogical(1, 3, {1, 1, 1}), makeScalar(-1)},
       labelsClass},
      {"more columns than 32 bits count",
       1,
       {emptyDouble(0, 3000000000u), emptyDouble()},
       tooLarge},
      {"too large before the group count",
       1,
       {emptyDouble(0, 3000000000u), emptyDouble(), emptyDouble()},
       tooLarge},
      {"empty group count", 1, {exData(), exLabels(), emptyDouble()}, countEmpty},
      {"0-by-1 group count", 1, {exData(), exLabels(), emptyDouble(0, 1)}, countEmpty},
      {"group count -1", 1, {exData(), exLabels(), makeScalar(-1)}, countNegative},
      {"group count NaN", 1, {exData(), exLabels(), makeScalar(kNaN)}, countNegative},
      {"group count Inf", 1, {exData(), exLabels(), makeScalar(kInf)}, countNegative},
      {"group count 2^31", 1, {exData(), exLabels(), makeScalar(2147483648.0)}, countNegative},
      {"negative count without data",
       1,
       {emptyDouble(0, 4), emptyDouble(), makeScalar(-1)},
       countNegative},
      {"negative count without columns",
       1,
       {emptyDouble(3, 0), makeRow({1, 1, 1}), makeScalar(-3)},
       countNegative},
      {"negative count before labels",
       1,
       {exData(), makeRow({0, 0, 0}), makeScalar(-1)},
       countNegative},
      {"label 0", 1, {exData(), makeRow({2, 0, 2}), makeScalar(2)}, labelRange},
      {"label 0.5 truncates to 0", 1, {exData(), makeRow({2, 1, 0.5}), makeScalar(2)}, labelRange},
      {"label -1", 1, {exData(), makeRow({-1, 1, 2}), makeScalar(2)}, labelRange},
      {"label above the count", 1, {exData(), makeRow({2, 1, 3}), makeScalar(2)}, labelRange},
      {"label 2.5 with count 2.9",
       1,
       {exData(), makeRow({2, 1, 3.5}), makeScalar(2.9)},
       labelRange},
      {"label NaN", 1, {exData(), makeRow({2, kNaN, 2}), makeScalar(2)}, labelRange},
      {"label Inf", 1, {exData(), makeRow({kInf, 1, 2}), makeScalar(2)}, labelRange},
      {"label above the default count", 1, {exData(), makeRow({2, 1, 3})}, labelRange},
      {"group count 0 with data", 1, {exData(), exLabels(), makeScalar(0)}, labelRange},
  };
  expectErrors(cases);
}

TEST_F(GroupsumGateway, OutOfMemory) {
  struct Case {
    const char* name;
    std::vector<const mxArray*> in;
    int failAt;
  };
  const std::vector<Case> cases = {
      {"creation fails", {exData(), exLabels(), makeScalar(2)}, 1},
      // 70000-by-70000 doubles: more than the host hands out.
      {"output too large for the host", {emptyDouble(0, 70000), emptyDouble()}, 0},
  };
  for (const auto& c : cases) {
    hostlayer::clearCounters();
    hostlayer::failCreation(c.failAt);
    auto r = callModule(1, c.in);
    EXPECT_TRUE(failsWith(r, "Not enough space for the output matrix.")) << c.name;
    EXPECT_EQ(hostlayer::creationCount(), 1) << c.name;
  }
}

TEST_F(GroupsumGateway, RepeatedCallsAgree) {
  auto first = callModule(1, {exData(), exLabels(), makeScalar(2)});
  auto second = callModule(1, {exData(), exLabels(), makeScalar(2)});
  ASSERT_TRUE(succeeds(first));
  ASSERT_TRUE(succeeds(second));
  EXPECT_NE(first.out[0], second.out[0]);
  EXPECT_TRUE(sameBits(realOf(second.out[0]), {2, 4, 20, 40}));
}
