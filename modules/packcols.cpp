// packcols: a host sparse matrix from column-compressed lists, copied as they stand.
//
//   S = packcols(rowIndex, colStart, values, rowCount)
//
// rowIndex and colStart are int32 or uint32 lists (a pattern from boxreach fits as it is),
// values holds one double per row index, rowCount the number of rows. S has colCount =
// numel(colStart) - 1 columns and room for exactly numel(rowIndex) entries. Empty lists return
// without an output.
#include <cstdint>

#include "frame.h"
#include "kernels.h"
#include "mex.h"

namespace {

enum { inRowIndex, inColStart, inValues, inRowCount };
enum { outMatrix };

const char* const kFourInputs = "Four input arguments required";
const char* const kTooManyOutputs = "Too many output arguments.";
const char* const kMismatch = "index and value dimension mismatch";
const char* const kCannotFit = "Impossible to fit all the nonzeros into the matrix you specififed";
const char* const kNoMemory = "Not enough memory for the output matrix";
// Refusals of calls whose lists the host could not hold as a sparse matrix.
const char* const kRowCountEmpty = "row count should not be empty";
const char* const kRowIndexClass = "row indices should be a full int32 or uint32 array";
const char* const kColStartClass = "column starts should be a full int32 or uint32 array";
const char* const kValuesClass = "values should be a full double array";
const char* const kColStartBroken =
    "column starts should begin at 0, never decrease and end at the number of row indices";
const char* const kRowOutOfRange = "row indices should lie between 0 and the row count minus 1";
const char* const kRowsNotAscending = "row indices should ascend within each column";

// Both list classes are read as uint32. An int32 list is valid exactly when its uint32 reading
// is: a negative entry reads as 2^31 or more, which lies above every row count and every entry
// count that 32 bits can hold, so it fails the same test as a row or start that is too large.

// The first entry is 0, entries never decrease, the last is nonzeroCount.
bool columnStartsValid(const uint32_t* colStart, int64_t colCount, int64_t nonzeroCount) {
  if (colStart[0] != 0 || colStart[colCount] != nonzeroCount) return false;
  for (int64_t j = 0; j < colCount; ++j)
    if (colStart[j + 1] < colStart[j]) return false;
  return true;
}

// Within each column, rows ascend strictly and lie below rowCount. colStart is valid.
const char* rowIndexFault(const uint32_t* rowIndex, const uint32_t* colStart, int64_t colCount,
                          int64_t rowCount) {
  for (int64_t j = 0; j < colCount; ++j) {
    int64_t previous = -1;
    for (uint32_t e = colStart[j]; e < colStart[j + 1]; ++e) {
      const int64_t row = rowIndex[e];
      if (row >= rowCount) return kRowOutOfRange;
      if (row <= previous) return kRowsNotAscending;
      previous = row;
    }
  }
  return nullptr;
}

}  // namespace

void packcolsKernel(const uint32_t* rowIndex, const uint32_t* colStart, const double* values,
                    int32_t nonzeroCount, int32_t colCount, mwIndex* outRowIndex,
                    mwIndex* outColStart, double* outValues) {
  for (int32_t e = 0; e < nonzeroCount; ++e) {
    outRowIndex[e] = static_cast<mwIndex>(rowIndex[e]);
    outValues[e] = values[e];
  }
  // colCount + 1 entries: 64-bit count, as colCount may be the largest int32.
  const int64_t starts = int64_t(colCount) + 1;
  for (int64_t j = 0; j < starts; ++j) outColStart[j] = static_cast<mwIndex>(colStart[j]);
}

extern "C" void mexFunction(int nOut, mxArray* outArgs[], int nIn, const mxArray* inArgs[]) {
  if (nIn != 4) mexErrMsgTxt(kFourInputs);
  if (nOut > 1) mexErrMsgTxt(kTooManyOutputs);

  const mxArray* rowIndexArray = inArgs[inRowIndex];
  const mxArray* colStartArray = inArgs[inColStart];
  const mxArray* valuesArray = inArgs[inValues];
  const mxArray* rowCountArray = inArgs[inRowCount];

  // Empty lists: no matrix, nothing stored in the output slot.
  const int64_t nonzeroCount = frame::elementsOf(rowIndexArray);
  if (nonzeroCount == 0) return;
  const int64_t colCount = frame::elementsOf(colStartArray) - 1;
  if (colCount <= 0) return;

  if (frame::elementsOf(valuesArray) != nonzeroCount) mexErrMsgTxt(kMismatch);
  // An empty array has no first element to read.
  if (frame::elementsOf(rowCountArray) == 0) mexErrMsgTxt(kRowCountEmpty);
  const int64_t rowCount = frame::truncToInt32(mxGetScalar(rowCountArray));
  // Truncated average of entries per column.
  if (rowCount < nonzeroCount / colCount) mexErrMsgTxt(kCannotFit);

  // Only lists the host can hold as a sparse matrix, before it is created.
  if (!frame::isFullInt32Class(rowIndexArray)) mexErrMsgTxt(kRowIndexClass);
  if (!frame::isFullInt32Class(colStartArray)) mexErrMsgTxt(kColStartClass);
  if (!frame::isFullDouble(valuesArray)) mexErrMsgTxt(kValuesClass);
  // Counts beyond 32 bits cannot be described by the matrix's indices.
  if (nonzeroCount > frame::kInt32Max || colCount > frame::kInt32Max) mexErrMsgTxt(kNoMemory);
  const auto* rowIndex = static_cast<const uint32_t*>(mxGetData(rowIndexArray));
  const auto* colStart = static_cast<const uint32_t*>(mxGetData(colStartArray));
  if (!columnStartsValid(colStart, colCount, nonzeroCount)) mexErrMsgTxt(kColStartBroken);
  if (const char* fault = rowIndexFault(rowIndex, colStart, colCount, rowCount))
    mexErrMsgTxt(fault);

  mxArray* matrix = mxCreateSparse(static_cast<mwSize>(rowCount), static_cast<mwSize>(colCount),
                                   static_cast<mwSize>(nonzeroCount), mxREAL);
  outArgs[outMatrix] = matrix;
  if (!matrix) mexErrMsgTxt(kNoMemory);

  // Of complex values only the real part is read.
  packcolsKernel(rowIndex, colStart, mxGetPr(valuesArray), static_cast<int32_t>(nonzeroCount),
                 static_cast<int32_t>(colCount), mxGetIr(matrix), mxGetJc(matrix), mxGetPr(matrix));
}
