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

// The storage the kernel reads and writes, and the bound that every row index read from
// rowFactor must stay below.
struct Pass {
  int32_t cols;
  const mwIndex *sColStart, *sRowIndex;
  const double *sReal, *sImag, *rowFactor, *colFactor;
  mwIndex *rColStart, *rRowIndex;
  double *rReal, *rImag;
  uint64_t rowBound;
};

// One pass over the columns for one of the cases; the case is fixed at compile time so that the
// loop over the stored entries holds no test of it. Returns false, with R written only in part,
// at the first row index that would read rowFactor at or beyond rowBound. A negative index is
// above every bound once taken as unsigned through the signed 64-bit value.
template <bool kRow, bool kCol, bool kImag>
bool scaleColumns(const Pass& p) {
  // Locals, so that the stores into R need not be taken as changing the pointers or the bound.
  const int32_t cols = p.cols;
  const mwIndex* const sColStart = p.sColStart;
  const mwIndex* const sRowIndex = p.sRowIndex;
  const double* const sReal = p.sReal;
  const double* const sImag = p.sImag;
  const double* const rowFactor = p.rowFactor;
  const double* const colFactor = p.colFactor;
  mwIndex* const rColStart = p.rColStart;
  mwIndex* const rRowIndex = p.rRowIndex;
  double* const rReal = p.rReal;
  double* const rImag = p.rImag;
  const uint64_t rowBound = p.rowBound;
  for (int32_t j = 0; j < cols; ++j) {
    rColStart[j] = sColStart[j];
    const size_t k0 = static_cast<size_t>(sColStart[j]);
    const size_t k1 = static_cast<size_t>(sColStart[j + 1]);
    if (k0 == k1) continue;  // an empty column reads no factor
    const double c = kCol ? colFactor[j] : 1.0;
    for (size_t k = k0; k < k1; ++k) {
      const mwIndex i = sRowIndex[k];
      rRowIndex[k] = i;
      const uint64_t row = static_cast<uint64_t>(static_cast<int64_t>(i));
      if (kRow && row >= rowBound) return false;
      const double r = kRow ? rowFactor[row] : 1.0;
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
  return true;
}

template <bool kRow, bool kCol>
bool scaleParts(const Pass& p) {
  return p.sImag ? scaleColumns<kRow, kCol, true>(p) : scaleColumns<kRow, kCol, false>(p);
}

// The case is chosen here, once per call.
bool scale(const Pass& p) {
  if (p.rowFactor && p.colFactor) return scaleParts<true, true>(p);
  if (p.rowFactor) return scaleParts<true, false>(p);
  if (p.colFactor) return scaleParts<false, true>(p);
  return scaleParts<false, false>(p);
}

// Column starts from 0, never decreasing, ending within the capacity: then every storage
// position the kernel visits lies inside S's and R's index and value arrays.
bool colStartsHold(const mwIndex* colStart, int64_t cols, int64_t capacity) {
  if (static_cast<int64_t>(colStart[0]) != 0) return false;
  for (int64_t j = 0; j < cols; ++j)
    if (static_cast<int64_t>(colStart[j + 1]) < static_cast<int64_t>(colStart[j])) return false;
  return static_cast<int64_t>(colStart[cols]) <= capacity;
}

}  // namespace

// Trusts its caller for the row indices, as for the rest of the layout of S.
void sidescaleKernel(int32_t cols, const mwIndex* sColStart, const mwIndex* sRowIndex,
                     const double* sReal, const double* sImag, const double* rowFactor,
                     const double* colFactor, mwIndex* rColStart, mwIndex* rRowIndex, double* rReal,
                     double* rImag) {
  scale({cols, sColStart, sRowIndex, sReal, sImag, rowFactor, colFactor, rColStart, rRowIndex,
         rReal, rImag, UINT64_MAX});
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
  // be. Broken column starts would move accesses outside the storage, and a row index at or
  // above m would read outside rowFactor: both are refused, the row indices during the pass
  // itself, which reads them anyway. Without rowFactor a row index is only copied.
  const mwIndex* sColStart = mxGetJc(s);
  if (!colStartsHold(sColStart, n, static_cast<int64_t>(capacity))) mexErrMsgTxt(kBrokenLayout);
  Pass pass = {};
  pass.cols = static_cast<int32_t>(n);
  pass.sColStart = sColStart;
  pass.sRowIndex = mxGetIr(s);
  pass.sReal = mxGetPr(s);
  pass.sImag = sImag;
  pass.rowFactor = rowFactor;
  pass.colFactor = colFactor;
  pass.rColStart = mxGetJc(r);
  pass.rRowIndex = mxGetIr(r);
  pass.rReal = mxGetPr(r);
  pass.rImag = mxGetPi(r);
  pass.rowBound = static_cast<uint64_t>(m);
  if (!scale(pass)) mexErrMsgTxt(kBrokenLayout);
}
