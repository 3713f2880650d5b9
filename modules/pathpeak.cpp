// pathpeak: weights for the pairs of a pixel pattern from the values met between them.
//
//   pairWeight = pathpeak(valueMap, secondMap, pairIndex, pairStart)
//   pairWeight = pathpeak(valueMap, secondMap, pairIndex, pairStart, mask)
//
// The weight of the pair (p, q) is half the largest value of valueMap sampled on the straight
// path from p towards q (q itself is not sampled), never below zero. A pixel paired with itself,
// and two pixels with the same positive label in mask, weigh 0. Weights come in the order of
// pairIndex; entries that no pixel's range covers stay 0.
#include <cstdint>

#include "frame.h"
#include "kernels.h"
#include "mex.h"

namespace {

enum { inValueMap, inSecondMap, inPairIndex, inPairStart, inMask };
enum { outPairWeight };

const char* const kFourInputs = "Four input arguments required";
const char* const kTooManyOutputs = "Too many output arguments";
const char* const kDimensions = "Dimension mismatches between the inputs";
const char* const kIndexClass = "Index pair shall be of type UINT32";
const char* const kMask = "Incorrect size or type for mask";
const char* const kValueMapClass = "Value map shall be a full matrix of type DOUBLE";
const char* const kMaskFull = "Mask shall be a full matrix";
const char* const kRangeBeyondList = "Index pair ranges shall not reach beyond pairIndex";
const char* const kEntryBeyondGrid = "Index pair entries shall be below the number of pixels";
const char* const kNoMemory = "Not enough memory for the output matrix";

}  // namespace

int pathpeakPatternFault(int32_t pixels, const uint32_t* pairIndex, const uint32_t* pairStart,
                         int64_t pairCount) {
  const uint64_t total = static_cast<uint64_t>(pairCount);
  for (int32_t p = 0; p < pixels; ++p) {
    const uint32_t begin = pairStart[p], end = pairStart[p + 1];
    if (begin >= end) continue;
    if (end > total) return kPatternRangeBeyondList;
    // The largest entry of the range decides; the reduction has no branch per entry.
    uint32_t largest = 0;
    for (uint32_t j = begin; j < end; ++j)
      largest = pairIndex[j] > largest ? pairIndex[j] : largest;
    if (largest >= static_cast<uint32_t>(pixels)) return kPatternEntryBeyondGrid;
  }
  return kPatternSound;
}

void pathpeakKernel(int32_t rows, int32_t pixels, const double* valueMap, const uint32_t* pairIndex,
                    const uint32_t* pairStart, const double* mask, double* pairWeight,
                    int32_t pairCount) {
  (void)pairCount;  // every range lies within the pattern's entries
  const int32_t m = rows;
  int32_t rp = 0, cp = 0;  // row and column of p, stepped along instead of divided
  for (int32_t p = 0; p < pixels; ++p, ++rp) {
    if (rp == m) {
      rp = 0;
      ++cp;
    }
    const uint32_t begin = pairStart[p], end = pairStart[p + 1];
    if (begin >= end) continue;
    // Every path samples p first, so the running maximum leaves +0.0 only for a larger value.
    const double own = valueMap[p];
    const double first = own > 0.0 ? own : 0.0;
    const bool labelled = mask && mask[p] > 0.0;
    const double label = labelled ? mask[p] : 0.0;
    for (uint32_t j = begin; j < end; ++j) {
      const int32_t q = static_cast<int32_t>(pairIndex[j]);
      if (q == p || (labelled && mask[q] == label)) {
        pairWeight[j] = 0.0;
        continue;
      }
      const int32_t rq = q % m, cq = q / m;
      const int32_t dc = cq > cp ? cq - cp : cp - cq;
      const int32_t dr = rq > rp ? rq - rp : rp - rq;
      // Ties step along the columns.
      const bool alongColumns = dc >= dr;
      const int32_t n = alongColumns ? dc : dr;
      const int32_t minorDelta = alongColumns ? rq - rp : cq - cp;
      const int32_t majorDelta = alongColumns ? cq - cp : rq - rp;
      const double minor0 = alongColumns ? rp : cp;
      // slope x (a - a0) with a - a0 = k x s equals (db / n) x k exactly: dividing by -n or
      // multiplying by -k only flips the sign, and rounding is symmetric in sign.
      const double slope = static_cast<double>(minorDelta) / static_cast<double>(n);
      const ptrdiff_t step = majorDelta > 0 ? 1 : -1;
      const ptrdiff_t majorStride = alongColumns ? step * m : step;
      const ptrdiff_t minorStride = alongColumns ? 1 : m;
      // The sample at k lies at the major coordinate of p plus k steps and the minor coordinate
      // b, so its value sits at line[k x majorStride + b x minorStride].
      const double* line = valueMap + (alongColumns ? static_cast<ptrdiff_t>(cp) * m : rp);
      double peak = first;
      double k = 0.0;
      for (int32_t i = 1; i < n; ++i) {
        k += 1.0;
        line += majorStride;
        const int32_t b = static_cast<int32_t>((slope * k + 0.5) + minor0);
        const double x = line[b * minorStride];
        peak = x > peak ? x : peak;
      }
      pairWeight[j] = 0.5 * peak;
    }
  }
}

extern "C" void mexFunction(int nOut, mxArray* outArgs[], int nIn, const mxArray* inArgs[]) {
  if (nIn < 4) mexErrMsgTxt(kFourInputs);
  if (nOut > 1) mexErrMsgTxt(kTooManyOutputs);

  const mxArray* valueMap = inArgs[inValueMap];
  const mxArray* secondMap = inArgs[inSecondMap];
  const mxArray* pairIndex = inArgs[inPairIndex];
  const mxArray* pairStart = inArgs[inPairStart];
  const int64_t m = frame::rowsOf(valueMap), n = frame::colsOf(valueMap);
  // Counts are exact here; a pixel count beyond the signed 32-bit range is not one.
  const int64_t pixels = frame::elementsOf(pairStart) - 1;
  if (frame::rowsOf(secondMap) != m || frame::colsOf(secondMap) != n ||
      frame::elementsOf(secondMap) != pixels || pixels < 1 || pixels > frame::kInt32Max)
    mexErrMsgTxt(kDimensions);
  if (!mxIsUint32(pairIndex) || !mxIsUint32(pairStart)) mexErrMsgTxt(kIndexClass);
  const mxArray* maskArray = nullptr;
  if (nIn >= 5 && frame::elementsOf(inArgs[inMask]) > 0) {
    maskArray = inArgs[inMask];
    if (frame::rowsOf(maskArray) != m || frame::colsOf(maskArray) != n || !mxIsDouble(maskArray))
      mexErrMsgTxt(kMask);
  }

  // The map and the mask are read as P dense doubles (the real part when complex), and the
  // kernel trusts the pattern: all three are made sure of before anything is created.
  if (!frame::isFullDouble(valueMap)) mexErrMsgTxt(kValueMapClass);
  if (maskArray && mxIsSparse(maskArray)) mexErrMsgTxt(kMaskFull);
  const int64_t pairs = frame::elementsOf(pairIndex);
  const auto* index = static_cast<const uint32_t*>(mxGetData(pairIndex));
  const auto* start = static_cast<const uint32_t*>(mxGetData(pairStart));
  const int32_t p32 = static_cast<int32_t>(pixels);
  switch (pathpeakPatternFault(p32, index, start, pairs)) {
    case kPatternRangeBeyondList:
      mexErrMsgTxt(kRangeBeyondList);
    case kPatternEntryBeyondGrid:
      mexErrMsgTxt(kEntryBeyondGrid);
    default:
      break;
  }
  // A T-by-1 column of doubles is sized by a signed 32-bit row count.
  if (pairs > frame::kInt32Max) mexErrMsgTxt(kNoMemory);

  mxArray* weightArray = mxCreateDoubleMatrix(static_cast<mwSize>(pairs), 1, mxREAL);
  outArgs[outPairWeight] = weightArray;
  if (!weightArray) mexErrMsgTxt(kNoMemory);

  const double* maskValues = maskArray ? mxGetPr(maskArray) : nullptr;
  pathpeakKernel(static_cast<int32_t>(m), p32, mxGetPr(valueMap), index, start, maskValues,
                 mxGetPr(weightArray), static_cast<int32_t>(pairs));
}
