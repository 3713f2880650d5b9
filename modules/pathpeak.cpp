// pathpeak: weights for the pairs of a pixel pattern from the values met between them.
//
//   pairWeight = pathpeak(valueMap, secondMap, pairIndex, pairStart)
//   pairWeight = pathpeak(valueMap, secondMap, pairIndex, pairStart, mask)
//
// The weight of the pair (p, q) is half the largest value of valueMap sampled on the straight
// path from p towards q (q itself is not sampled), never below zero. A pixel paired with itself,
// and two pixels with the same positive label in mask, weigh 0. Weights come in the order of
// pairIndex; entries that no pixel's range covers stay 0.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

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
    // The largest entry of the range decides; four running maxima keep the pass from waiting
    // on one chain of comparisons.
    uint32_t a = 0, b = 0, c = 0, d = 0;
    uint32_t j = begin;
    for (; end - j >= 4; j += 4) {
      a = pairIndex[j] > a ? pairIndex[j] : a;
      b = pairIndex[j + 1] > b ? pairIndex[j + 1] : b;
      c = pairIndex[j + 2] > c ? pairIndex[j + 2] : c;
      d = pairIndex[j + 3] > d ? pairIndex[j + 3] : d;
    }
    for (; j < end; ++j) a = pairIndex[j] > a ? pairIndex[j] : a;
    a = b > a ? b : a;
    c = d > c ? d : c;
    if ((c > a ? c : a) >= static_cast<uint32_t>(pixels)) return kPatternEntryBeyondGrid;
  }
  return kPatternSound;
}

namespace {

#if defined(__SIZEOF_INT128__)
__extension__ typedef unsigned __int128 Wide;

// The column of a pixel number without a division instruction: with c = ceil(2^63 / m),
// floor(q / m) = floor(q x c / 2^63) exactly whenever q x m < 2^63, true for q and m below 2^31.
class ColumnOf {
 public:
  explicit ColumnOf(int32_t m)
      : c_(((uint64_t(1) << 63) + static_cast<uint64_t>(m) - 1) / static_cast<uint64_t>(m)) {}
  int32_t operator()(int32_t q) const {
    return static_cast<int32_t>((Wide(static_cast<uint32_t>(q)) * c_) >> 63);
  }

 private:
  uint64_t c_;
};
#else
class ColumnOf {
 public:
  explicit ColumnOf(int32_t m) : m_(m) {}
  int32_t operator()(int32_t q) const { return q / m_; }

 private:
  int32_t m_;
};
#endif

// The largest of peak and the values sampled after the first on the path from (rp, cp) towards
// (rq, cq), another pixel of a grid of m rows. The minor coordinate of the sample k steps along
// the major axis is truncToInt32((slope x (a - a0) + 0.5) + b0); with a - a0 = k x s that is
// ((db / n) x k + 0.5) + b0 for the same bits, as dividing by -n or multiplying by -k only flips
// a sign and rounding is symmetric in sign. The sum is never negative nor beyond the grid, so a
// plain conversion truncates it.
inline double pathPeak(const double* valueMap, int32_t m, int32_t rp, int32_t cp, int32_t rq,
                       int32_t cq, double peak) {
  const int32_t rowDelta = rq - rp, colDelta = cq - cp;
  const int32_t dr = std::abs(rowDelta), dc = std::abs(colDelta);
  // A neighbour at row and column distance at most 1: p is the only sample.
  if (dr <= 1 && dc <= 1) return peak;
  if (dc >= dr) {  // ties step along the columns
    const double slope = static_cast<double>(rowDelta) / static_cast<double>(dc);
    const double b0 = rp;
    const ptrdiff_t step = static_cast<ptrdiff_t>(colDelta > 0 ? m : -m);
    const double* column = valueMap + static_cast<ptrdiff_t>(cp) * m;
    const double* const last = column + static_cast<ptrdiff_t>(colDelta) * m;
    double k = 0.0;
    while ((column += step) != last) {
      k += 1.0;
      const double x = column[static_cast<ptrdiff_t>((slope * k + 0.5) + b0)];
      peak = x > peak ? x : peak;
    }
  } else {
    const double slope = static_cast<double>(colDelta) / static_cast<double>(dr);
    const double b0 = cp;
    const ptrdiff_t step = static_cast<ptrdiff_t>(rowDelta > 0 ? 1 : -1);
    const double* row = valueMap + rp;
    const double* const last = row + rowDelta;
    double k = 0.0;
    while ((row += step) != last) {
      k += 1.0;
      const double x = row[static_cast<ptrdiff_t>((slope * k + 0.5) + b0) * m];
      peak = x > peak ? x : peak;
    }
  }
  return peak;
}

// The weights of one pixel's range; with Labelled, pairs whose label equals label weigh 0.
template <bool Labelled>
void weighRange(const double* valueMap, int32_t m, ColumnOf columnOf, int32_t p, int32_t rp,
                int32_t cp, const uint32_t* pairIndex, uint32_t begin, uint32_t end,
                const double* mask, double label, double* pairWeight) {
  // Every path samples p first, so the running maximum leaves +0.0 only for a larger value.
  const double own = valueMap[p];
  const double first = own > 0.0 ? own : 0.0;
  for (uint32_t j = begin; j < end; ++j) {
    const int32_t q = static_cast<int32_t>(pairIndex[j]);
    if (q == p || (Labelled && mask[q] == label)) {
      pairWeight[j] = 0.0;
      continue;
    }
    const int32_t cq = columnOf(q);
    const int32_t rq = q - cq * m;
    pairWeight[j] = 0.5 * pathPeak(valueMap, m, rp, cp, rq, cq, first);
  }
}

}  // namespace

void pathpeakKernel(int32_t rows, int32_t pixels, const double* valueMap, const uint32_t* pairIndex,
                    const uint32_t* pairStart, const double* mask, double* pairWeight,
                    int32_t pairCount) {
  (void)pairCount;  // every range lies within the pattern's entries
  const int32_t m = rows;
  const ColumnOf columnOf(m);
  int32_t rp = 0, cp = 0;  // row and column of p, stepped along instead of divided
  for (int32_t p = 0; p < pixels; ++p, ++rp) {
    if (rp == m) {
      rp = 0;
      ++cp;
    }
    const uint32_t begin = pairStart[p], end = pairStart[p + 1];
    if (begin >= end) continue;
    if (mask && mask[p] > 0.0)
      weighRange<true>(valueMap, m, columnOf, p, rp, cp, pairIndex, begin, end, mask, mask[p],
                       pairWeight);
    else
      weighRange<false>(valueMap, m, columnOf, p, rp, cp, pairIndex, begin, end, nullptr, 0.0,
                        pairWeight);
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
  const int fault = pathpeakPatternFault(p32, index, start, pairs);
  if (fault == kPatternRangeBeyondList) mexErrMsgTxt(kRangeBeyondList);
  if (fault == kPatternEntryBeyondGrid) mexErrMsgTxt(kEntryBeyondGrid);
  // A T-by-1 column of doubles is sized by a signed 32-bit row count.
  if (pairs > frame::kInt32Max) mexErrMsgTxt(kNoMemory);

  mxArray* weightArray = mxCreateDoubleMatrix(static_cast<mwSize>(pairs), 1, mxREAL);
  outArgs[outPairWeight] = weightArray;
  if (!weightArray) mexErrMsgTxt(kNoMemory);

  const double* maskValues = maskArray ? mxGetPr(maskArray) : nullptr;
  pathpeakKernel(static_cast<int32_t>(m), p32, mxGetPr(valueMap), index, start, maskValues,
                 mxGetPr(weightArray), static_cast<int32_t>(pairs));
}
