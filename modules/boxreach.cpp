// boxreach: for every pixel of an M-by-N grid, the pixels inside a window around it.
//
//   [pairIndex, pairStart] = boxreach(r, samp1)
//   [pairIndex, pairStart] = boxreach(r, samp1, samp2)
//
// r gives the row and column radius; samp1 is a grid size (one or two elements) or a pixel mask;
// samp2 keeps the pixels where it is zero out of every list.
#include <algorithm>
#include <cstdint>

#include "frame.h"
#include "kernels.h"
#include "mex.h"

namespace {

enum { inR, inSamp1, inSamp2 };
enum { outPairIndex, outPairStart };

const char* const kTwoInputs = "Two input arguments required";
const char* const kTooManyOutputs = "Too many output arguments.";
const char* const kRadiusArray = "r should be a nonempty full double array";
const char* const kRadiusPositive = "r should be positive";
const char* const kDouble = "arguments should be double";
const char* const kSamp1Full = "samp1 should be a full matrix";
const char* const kGridNegative = "grid size should be nonnegative";
const char* const kGridTooLarge = "grid size too large";
const char* const kSamp2Match = "samp2 should be a double matrix that matches samp1";
const char* const kSamp2Full = "samp2 should be a full matrix";
const char* const kNoSpace = "Not enough space for the output matrix.";

// Entries of a mask that are not zero (NaN included).
int64_t countNonzero(const double* v, int64_t n) {
  int64_t c = 0;
  for (int64_t k = 0; k < n; ++k) c += v[k] != 0;
  return c;
}

}  // namespace

int32_t boxreachKernel(int32_t rowRadius, int32_t colRadius, int32_t rows, int32_t cols,
                       const double* samp1, const double* samp2, uint32_t* pairIndex,
                       uint32_t* pairStart) {
  const int64_t m = rows;
  uint32_t t = 0;
  uint32_t p = 0;
  for (int64_t j = 0; j < cols; ++j) {
    const int64_t j0 = std::max<int64_t>(0, j - colRadius);
    const int64_t j1 = std::min<int64_t>(cols, j + colRadius + 1);
    for (int64_t i = 0; i < m; ++i, ++p) {
      pairStart[p] = t;
      if (samp1 && samp1[p] == 0) continue;
      const int64_t i0 = std::max<int64_t>(0, i - rowRadius);
      const int64_t i1 = std::min<int64_t>(m, i + rowRadius + 1);
      const uint32_t run = static_cast<uint32_t>(i1 - i0);
      uint32_t base = static_cast<uint32_t>(j0 * m + i0);
      if (!samp2) {
        // Each window column is one contiguous run of pixel numbers.
        for (int64_t jj = j0; jj < j1; ++jj, base += static_cast<uint32_t>(m)) {
          uint32_t* out = pairIndex + t;
          for (uint32_t k = 0; k < run; ++k) out[k] = base + k;
          t += run;
        }
      } else {
        for (int64_t jj = j0; jj < j1; ++jj, base += static_cast<uint32_t>(m)) {
          for (uint32_t k = 0; k < run; ++k) {
            const uint32_t q = base + k;
            if (samp2[q] != 0) pairIndex[t++] = q;
          }
        }
      }
    }
  }
  pairStart[p] = t;
  return static_cast<int32_t>(t);
}

extern "C" void mexFunction(int nOut, mxArray* outArgs[], int nIn, const mxArray* inArgs[]) {
  if (nIn < 2) mexErrMsgTxt(kTwoInputs);
  if (nOut > 2) mexErrMsgTxt(kTooManyOutputs);

  const mxArray* r = inArgs[inR];
  if (!frame::isFullDouble(r) || frame::elementsOf(r) == 0) mexErrMsgTxt(kRadiusArray);
  const double* rv = mxGetPr(r);
  const int32_t rowRadius = frame::truncToInt32(rv[0]);
  const int32_t colRadius =
      (frame::rowsOf(r) > 1 || frame::colsOf(r) > 1) ? frame::truncToInt32(rv[1]) : rowRadius;
  if (rowRadius < 1 || colRadius < 1) mexErrMsgTxt(kRadiusPositive);

  const mxArray* samp1 = inArgs[inSamp1];
  if (!mxIsDouble(samp1)) mexErrMsgTxt(kDouble);
  if (mxIsSparse(samp1)) mexErrMsgTxt(kSamp1Full);
  const int64_t n1 = frame::elementsOf(samp1);
  const double* mask1 = nullptr;
  int64_t m = 0, n = 0;
  if (n1 == 1 || n1 == 2) {
    const double* sv = mxGetPr(samp1);
    m = frame::truncToInt32(sv[0]);
    n = n1 == 2 ? frame::truncToInt32(sv[1]) : m;
    if (m < 0 || n < 0) mexErrMsgTxt(kGridNegative);
  } else {
    m = frame::rowsOf(samp1);
    n = frame::colsOf(samp1);
    mask1 = mxGetPr(samp1);
  }
  // P + 1 entries of pairStart must be countable in 32 bits.
  if (m > frame::kInt32Max || n > frame::kInt32Max || (n > 0 && m > (frame::kInt32Max - 1) / n))
    mexErrMsgTxt(kGridTooLarge);
  const int64_t pixels = m * n;
  // Each side is clipped to 2^31 - 1, more than P, so the product cannot overflow and its
  // smaller with P is unchanged.
  const int64_t window = std::min<int64_t>(2 * int64_t(rowRadius) + 1, frame::kInt32Max) *
                         std::min<int64_t>(2 * int64_t(colRadius) + 1, frame::kInt32Max);
  const int64_t windowBound = std::min(window, pixels);

  const double* mask2 = nullptr;
  int64_t admitted = pixels;
  if (nIn == 3) {
    const mxArray* samp2 = inArgs[inSamp2];
    if (frame::rowsOf(samp2) != m || frame::colsOf(samp2) != n || !mxIsDouble(samp2))
      mexErrMsgTxt(kSamp2Match);
    if (mxIsSparse(samp2)) mexErrMsgTxt(kSamp2Full);
    mask2 = mxGetPr(samp2);
    admitted = countNonzero(mask2, pixels);
  }
  // No list is longer than the window or than the pixels samp2 admits, and only active pixels
  // have lists, so this bound holds whatever values the masks carry.
  const int64_t active = mask1 ? countNonzero(mask1, pixels) : pixels;
  const int64_t pairCapacity = active * std::min(windowBound, admitted);
  if (pairCapacity > frame::kInt32Max) mexErrMsgTxt(kNoSpace);

  mxArray* pairIndexArray =
      mxCreateNumericMatrix(static_cast<mwSize>(pairCapacity), 1, mxUINT32_CLASS, mxREAL);
  outArgs[outPairIndex] = pairIndexArray;
  mxArray* pairStartArray =
      mxCreateNumericMatrix(static_cast<mwSize>(pixels + 1), 1, mxUINT32_CLASS, mxREAL);
  // Octave offers only max(nOut, 1) slots: the second is written only when it exists.
  if (frame::slotOffered(nOut, outPairStart)) outArgs[outPairStart] = pairStartArray;
  if (!pairIndexArray || !pairStartArray) mexErrMsgTxt(kNoSpace);

  auto* pairIndex = static_cast<uint32_t*>(mxGetData(pairIndexArray));
  auto* pairStart = static_cast<uint32_t*>(mxGetData(pairStartArray));
  // Without pixels there is nothing to visit, however many empty columns a 0-by-n mask has.
  const int32_t total =
      boxreachKernel(rowRadius, colRadius, static_cast<int32_t>(m),
                     static_cast<int32_t>(pixels > 0 ? n : 0), mask1, mask2, pairIndex, pairStart);

  mxSetM(pairIndexArray, static_cast<mwSize>(total));
  void* shrunk = mxRealloc(pairIndex, 4 * static_cast<size_t>(total));
  // A failed shrink leaves the larger block in place; a resize to nothing may free it.
  if (shrunk || total == 0) mxSetData(pairIndexArray, shrunk);
}
