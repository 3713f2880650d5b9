// groupsum: the rows of a dense matrix added up by group.
//
//   R = groupsum(data, labels)
//   R = groupsum(data, labels, groupCount)
//
// Row i of data is added into row labels(i) (truncated toward zero, 1-based) of R, which has
// groupCount rows (by default the number of data columns) and as many columns as data. Each
// element of R is summed in ascending row order from +0.
#include <cstdint>

#include "frame.h"
#include "kernels.h"
#include "mex.h"

namespace {

enum { inData, inLabels, inGroupCount };
enum { outSums };

const char* const kTwoInputs = "Two input arguments required";
const char* const kTooManyOutputs = "Too many output arguments.";
const char* const kMismatch = "Dimension mismatch.";
const char* const kNoSpace = "Not enough space for the output matrix.";
// Refusals of calls that would read or write outside an array.
const char* const kDataClass = "Data should be a full double matrix.";
const char* const kLabelsClass = "Labels should be a full double array.";
const char* const kDataTooLarge = "Data has too many rows or columns.";
const char* const kCountEmpty = "Group count should not be empty.";
const char* const kCountNegative = "Group count should be nonnegative.";
const char* const kLabelRange = "Labels should lie between 1 and the group count.";

// Every label names an output row: 1 <= truncToInt32(label) <= groupCount.
bool labelsInRange(const double* labels, int64_t count, int32_t groupCount) {
  for (int64_t i = 0; i < count; ++i) {
    const int32_t label = frame::truncToInt32(labels[i]);
    if (label < 1 || label > groupCount) return false;
  }
  return true;
}

}  // namespace

void groupsumKernel(const double* data, int32_t dataRows, int32_t dataCols, const double* labels,
                    int32_t groupCount, double* out) {
  // Empty data may come without storage: nothing to add, and no pointer to offset.
  if (dataRows <= 0 || dataCols <= 0) return;
  const int64_t rows = dataRows, cols = dataCols, groups = groupCount;
  // Output row of data row i, or -1 for a label that names no output row (the row is left out).
  auto groupOf = [&](int64_t i) -> int64_t {
    const int64_t g = int64_t(frame::truncToInt32(labels[i])) - 1;
    return g >= 0 && g < groups ? g : -1;
  };
  int64_t i = 0;
  // Four rows at a time: their labels are converted once and each column then takes four
  // additions, which the rows' order keeps in sequence for every output element. Four rows of
  // one group (as regions give them) are summed in a register, one rounding per addition as in
  // memory.
  for (; i + 4 <= rows; i += 4) {
    const int64_t g0 = groupOf(i), g1 = groupOf(i + 1), g2 = groupOf(i + 2), g3 = groupOf(i + 3);
    const double* x = data + i;
    if ((g0 | g1 | g2 | g3) < 0) {
      // A row left out: row by row.
      for (int64_t k = 0; k < 4; ++k) {
        const int64_t g = k == 0 ? g0 : k == 1 ? g1 : k == 2 ? g2 : g3;
        if (g < 0) continue;
        for (int64_t j = 0; j < cols; ++j) out[g + j * groups] += x[k + j * rows];
      }
    } else if (g0 == g1 && g1 == g2 && g2 == g3) {
      double* r = out + g0;
      for (int64_t j = 0; j < cols; ++j, r += groups, x += rows)
        *r = (((*r + x[0]) + x[1]) + x[2]) + x[3];
    } else {
      double *r0 = out + g0, *r1 = out + g1, *r2 = out + g2, *r3 = out + g3;
      for (int64_t j = 0; j < cols; ++j, x += rows) {
        const int64_t c = j * groups;
        r0[c] += x[0];
        r1[c] += x[1];
        r2[c] += x[2];
        r3[c] += x[3];
      }
    }
  }
  for (; i < rows; ++i) {
    const int64_t g = groupOf(i);
    if (g < 0) continue;
    for (int64_t j = 0; j < cols; ++j) out[g + j * groups] += data[i + j * rows];
  }
}

extern "C" void mexFunction(int nOut, mxArray* outArgs[], int nIn, const mxArray* inArgs[]) {
  if (nIn < 2) mexErrMsgTxt(kTwoInputs);
  if (nOut > 1) mexErrMsgTxt(kTooManyOutputs);

  const mxArray* dataArray = inArgs[inData];
  const mxArray* labelsArray = inArgs[inLabels];
  const int64_t dataRows = frame::rowsOf(dataArray);
  const int64_t dataCols = frame::colsOf(dataArray);
  if (frame::elementsOf(labelsArray) != dataRows) mexErrMsgTxt(kMismatch);

  // Of complex data or labels only the real part is read.
  if (!frame::isFullDouble(dataArray)) mexErrMsgTxt(kDataClass);
  if (!frame::isFullDouble(labelsArray)) mexErrMsgTxt(kLabelsClass);
  if (dataRows > frame::kInt32Max || dataCols > frame::kInt32Max) mexErrMsgTxt(kDataTooLarge);

  int32_t groupCount = static_cast<int32_t>(dataCols);
  if (nIn == 3) {
    const mxArray* countArray = inArgs[inGroupCount];
    // An empty array has no first element to read.
    if (frame::elementsOf(countArray) == 0) mexErrMsgTxt(kCountEmpty);
    groupCount = frame::truncToInt32(mxGetScalar(countArray));
  }
  // NaN, infinities and counts of 2^31 or more truncate to -2^31 and end here too.
  if (groupCount < 0) mexErrMsgTxt(kCountNegative);
  const double* labels = mxGetPr(labelsArray);
  // Labels are only used when there is a column to add.
  if (dataCols > 0 && !labelsInRange(labels, dataRows, groupCount)) mexErrMsgTxt(kLabelRange);

  mxArray* sums =
      mxCreateDoubleMatrix(static_cast<mwSize>(groupCount), static_cast<mwSize>(dataCols), mxREAL);
  outArgs[outSums] = sums;
  if (!sums) mexErrMsgTxt(kNoSpace);

  groupsumKernel(mxGetPr(dataArray), static_cast<int32_t>(dataRows), static_cast<int32_t>(dataCols),
                 labels, groupCount, mxGetPr(sums));
}
