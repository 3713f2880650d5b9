// What every gateway shares: number conversion, array predicates and output slots.
// Header-only, so each module carries its own copy and modules share nothing at run time.
#ifndef COMMON_FRAME_H
#define COMMON_FRAME_H

#include <cstdint>
#include <limits>

#include "mex.h"

namespace frame {

constexpr int64_t kInt32Max = std::numeric_limits<int32_t>::max();

// Truncation toward zero; NaN, infinities and values whose truncation lies outside the signed
// 32-bit range give -2147483648.
inline int32_t truncToInt32(double v) {
  if (!(v > -2147483649.0 && v < 2147483648.0)) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(v);
}

// Row and column counts as exact 64-bit values: hosts with 64-bit sizes may report counts that
// a 32-bit host never could, and products of them must not wrap.
inline int64_t rowsOf(const mxArray* a) { return static_cast<int64_t>(mxGetM(a)); }
inline int64_t colsOf(const mxArray* a) { return static_cast<int64_t>(mxGetN(a)); }
inline int64_t elementsOf(const mxArray* a) {
  uint64_t m = mxGetM(a), n = mxGetN(a), e = 0;
  if (__builtin_mul_overflow(m, n, &e) || e > uint64_t(std::numeric_limits<int64_t>::max()))
    return std::numeric_limits<int64_t>::max();
  return static_cast<int64_t>(e);
}

// Dense double storage that may be read as element count doubles (real part when complex).
inline bool isFullDouble(const mxArray* a) { return mxIsDouble(a) && !mxIsSparse(a); }

// Dense storage of 4-byte integers.
inline bool isFullInt32Class(const mxArray* a) {
  return (mxIsUint32(a) || mxIsInt32(a)) && !mxIsSparse(a);
}

// The host offers max(nOut, 1) output slots; a slot beyond them must not be written.
inline bool slotOffered(int nOut, int slot) { return slot < (nOut > 1 ? nOut : 1); }

}  // namespace frame

#endif
