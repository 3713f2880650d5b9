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
  const int64_t rows = dataRows, groups = groupCount;
  for (int64_t i = 0; i < rows; ++i) {
    const int64_t g = int64_t(frame::truncToInt32(labels[i])) - 1;
    // A row whose label names no output row is left out.
    if (g < 0 || g >= groups) continue;
    const double* x = data + i;
    double* r = out + g;
    for (int64_t j = 0; j < dataCols; ++j) r[j * groups] += x[j * rows];
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
