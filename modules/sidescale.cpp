// sidescale: diag(rowFactor) * S * diag(colFactor) for a sparse S, on the pattern of S.
//
//   R = sidescale(S, rowFactor, colFactor)
//
// S is a double sparse matrix, real or complex; each factor is a full double array whose larger
// dimension is the row (column) count of S, taken in storage order, or an empty array for a side
// left unscaled. R keeps the capacity, pattern and complexity of S, stored zeros included.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "frame.h"
#include "kernels.h"
#include "mex.h"

namespace {

enum { inS, inRowFactor, inColFactor };
enum { outR };

const char* const kThreeInputs = "Three input arguments required";
const char* const kTooManyOutputs = "Too many output arguments.";
const char* const kSparse = "Input argument #1 must be of type sparse";
const char* const kFull = "Input argument #2 & #3 must be of type full";
const char* const kRowMismatch = "Row multiplication dimension mismatch.";
const char* const kColMismatch = "Column multiplication dimension mismatch.";
const char* const kNoSpace = "Not enough space for the output matrix.";
// Refusals of inputs whose storage cannot be read as the kernel reads it.
const char* const kSDouble = "Input argument #1 must be of class double";
const char* const kFactorDouble = "Input argument #2 & #3 must be of class double";
const char* const kTooManyColumns = "Input argument #1 has too many columns";
const char* const kBrokenLayout = "Input argument #1 is not a valid sparse matrix";

// The length of a factor array: its larger dimension.
int64_t lengthOf(const mxArray* a) { return std::max(frame::rowsOf(a), frame::colsOf(a)); }

// Column starts from 0, never decreasing, ending within the capacity; with rowsUsed, every row
// index of a stored entry below rows. Indices are compared as signed 64-bit values, so a negative
// 32-bit index and an unsigned index above the signed range both fail the same test.
bool layoutHolds(const mwIndex* colStart, const mwIndex* rowIndex, int64_t cols, int64_t rows,
                 int64_t capacity, bool rowsUsed) {
  if (static_cast<int64_t>(colStart[0]) != 0) return false;
  for (int64_t j = 0; j < cols; ++j)
    if (static_cast<int64_t>(colStart[j + 1]) < static_cast<int64_t>(colStart[j])) return false;
  const int64_t entries = static_cast<int64_t>(colStart[cols]);
  if (entries > capacity) return false;
  if (rowsUsed) {
    for (int64_t k = 0; k < entries; ++k) {
      const int64_t i = static_cast<int64_t>(rowIndex[k]);
      if (i < 0 || i >= rows) return false;
    }
  }
  return true;
}

// One pass over the columns for one of the cases; the case is fixed at compile time so that the
// loop over the stored entries holds no test of it.
template <bool kRow, bool kCol, bool kImag>
void scaleColumns(int32_t cols, const mwIndex* sColStart, const mwIndex* sRowIndex,
                  const double* sReal, const double* sImag, const double* rowFactor,
                  const double* colFactor, mwIndex* rColStart, mwIndex* rRowIndex, double* rReal,
                  double* rImag) {
  for (int32_t j = 0; j < cols; ++j) {
    rColStart[j] = sColStart[j];
    const size_t k0 = static_cast<size_t>(sColStart[j]);
    const size_t k1 = static_cast<size_t>(sColStart[j + 1]);
    if (k0 == k1) continue;  // an empty column reads no factor
    const double c = kCol ? colFactor[j] : 1.0;
    for (size_t k = k0; k < k1; ++k) {
      const mwIndex i = sRowIndex[k];
      rRowIndex[k] = i;
      const double r = kRow ? rowFactor[static_cast<size_t>(i)] : 1.0;
      // Row factor first, then the column factor: the order fixes the rounding.
      double re = sReal[k];
      if (kRow) re = r * re;
      if (kCol) re = re * c;
      rReal[k] = re;
      if (kImag) {
        double im = sImag[k];
        if (kRow) im = r * im;
        if (kCol) im = im * c;
        rImag[k] = im;
      }
    }
  }
  rColStart[cols] = sColStart[cols];
}

template <bool kRow, bool kCol>
void scaleParts(int32_t cols, const mwIndex* sColStart, const mwIndex* sRowIndex,
                const double* sReal, const double* sImag, const double* rowFactor,
                const double* colFactor, mwIndex* rColStart, mwIndex* rRowIndex, double* rReal,
                double* rImag) {
  if (sImag)
    scaleColumns<kRow, kCol, true>(cols, sColStart, sRowIndex, sReal, sImag, rowFactor, colFactor,
                                   rColStart, rRowIndex, rReal, rImag);
  else
    scaleColumns<kRow, kCol, false>(cols, sColStart, sRowIndex, sReal, nullptr, rowFactor,
                                    colFactor, rColStart, rRowIndex, rReal, nullptr);
}

}  // namespace

void sidescaleKernel(int32_t cols, const mwIndex* sColStart, const mwIndex* sRowIndex,
                     const double* sReal, const double* sImag, const double* rowFactor,
                     const double* colFactor, mwIndex* rColStart, mwIndex* rRowIndex, double* rReal,
                     double* rImag) {
  if (rowFactor && colFactor)
    scaleParts<true, true>(cols, sColStart, sRowIndex, sReal, sImag, rowFactor, colFactor,
                           rColStart, rRowIndex, rReal, rImag);
  else if (rowFactor)
    scaleParts<true, false>(cols, sColStart, sRowIndex, sReal, sImag, rowFactor, colFactor,
                            rColStart, rRowIndex, rReal, rImag);
  else if (colFactor)
    scaleParts<false, true>(cols, sColStart, sRowIndex, sReal, sImag, rowFactor, colFactor,
                            rColStart, rRowIndex, rReal, rImag);
  else
    scaleParts<false, false>(cols, sColStart, sRowIndex, sReal, sImag, rowFactor, colFactor,
                             rColStart, rRowIndex, rReal, rImag);
}

extern "C" void mexFunction(int nOut, mxArray* outArgs[], int nIn, const mxArray* inArgs[]) {
  if (nIn != 3) mexErrMsgTxt(kThreeInputs);
  if (nOut > 1) mexErrMsgTxt(kTooManyOutputs);

  const mxArray* s = inArgs[inS];
  const mxArray* rowFactorArray = inArgs[inRowFactor];
  const mxArray* colFactorArray = inArgs[inColFactor];
  if (!mxIsSparse(s)) mexErrMsgTxt(kSparse);
  if (mxIsSparse(rowFactorArray) || mxIsSparse(colFactorArray)) mexErrMsgTxt(kFull);

  const int64_t m = frame::rowsOf(s);
  const int64_t n = frame::colsOf(s);
  const int64_t rowLength = lengthOf(rowFactorArray);
  const int64_t colLength = lengthOf(colFactorArray);
  if (rowLength > 0 && rowLength != m) mexErrMsgTxt(kRowMismatch);
  if (colLength > 0 && colLength != n) mexErrMsgTxt(kColMismatch);

  const double* sImag = mxGetPi(s);
  const mwSize capacity = mxGetNzmax(s);
  outArgs[outR] = mxCreateSparse(static_cast<mwSize>(mxGetM(s)), static_cast<mwSize>(mxGetN(s)),
                                 capacity, sImag ? mxCOMPLEX : mxREAL);
  mxArray* r = outArgs[outR];
  if (!r) mexErrMsgTxt(kNoSpace);

  // Narrower storage (a logical S, a single or integer factor) must not be read as doubles.
  if (!mxIsDouble(s)) mexErrMsgTxt(kSDouble);
  if (!mxIsDouble(rowFactorArray) || !mxIsDouble(colFactorArray)) mexErrMsgTxt(kFactorDouble);
  // Only a 64-bit host can report more columns than the kernel counts.
  if (n > frame::kInt32Max) mexErrMsgTxt(kTooManyColumns);

  // An array with the length needed but no elements (0-by-m) leaves its side unscaled.
  const double* rowFactor =
      rowLength > 0 && frame::elementsOf(rowFactorArray) > 0 ? mxGetPr(rowFactorArray) : nullptr;
  const double* colFactor =
      colLength > 0 && frame::elementsOf(colFactorArray) > 0 ? mxGetPr(colFactorArray) : nullptr;

  // The host keeps its own sparse arrays in order, but an S written by another module may not
  // be. Broken column starts would move every access outside the storage, and a row index at or
  // above m would read outside rowFactor, so both are refused; without rowFactor a row index is
  // only copied.
  const mwIndex* sColStart = mxGetJc(s);
  const mwIndex* sRowIndex = mxGetIr(s);
  if (!layoutHolds(sColStart, sRowIndex, n, m, static_cast<int64_t>(capacity),
                   rowFactor != nullptr))
    mexErrMsgTxt(kBrokenLayout);

  sidescaleKernel(static_cast<int32_t>(n), sColStart, sRowIndex, mxGetPr(s), sImag, rowFactor,
                  colFactor, mxGetJc(r), mxGetIr(r), mxGetPr(r), mxGetPi(r));
}
