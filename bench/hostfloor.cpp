// hostfloor: what the host itself costs a module. It creates arrays of the sizes a module would
// return, stores zeros into every element a module would write (so each page is touched once,
// as a kernel must), computes nothing, and hands them back, so a module's time inside the host
// can be given as a multiple of this floor. Built for the host suite only; never shipped.
//
//   x = hostfloor(1, [m n])               an m-by-n double matrix (mxCreateDoubleMatrix)
//   [a, b] = hostfloor(2, [t s])          a t-by-1 and an s-by-1 uint32 column
//   x = hostfloor(3, [m n cap])           an m-by-n real sparse matrix with room for cap entries
//   [a, b] = hostfloor(4, [cap t s])      a cap-by-1 uint32 column of which t entries are written
//                                         and which is then shrunk to t rows (as boxreach shrinks
//                                         pairIndex), and an s-by-1 uint32 column
//
// Inputs after the sizes are read once from end to end (dense storage, or a sparse array's
// column starts, row indices and values), which is the least any module that uses them must do;
// their sum goes into the first created element, so the reads cannot be left out.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "mex.h"

namespace {

uint64_t sumWords(const void* p, size_t bytes) {
  const auto* b = static_cast<const unsigned char*>(p);
  uint64_t s = 0;
  size_t k = 0;
  for (; k + 8 <= bytes; k += 8) {
    uint64_t w;
    __builtin_memcpy(&w, b + k, 8);
    s += w;
  }
  for (; k < bytes; ++k) s += b[k];
  return s;
}

uint64_t readAll(const mxArray* a) {
  if (mxIsSparse(a)) {
    const size_t n = mxGetN(a);
    const mwIndex* jc = mxGetJc(a);
    const size_t e = static_cast<size_t>(jc[n]);
    return sumWords(jc, (n + 1) * sizeof(mwIndex)) + sumWords(mxGetIr(a), e * sizeof(mwIndex)) +
           sumWords(mxGetPr(a), e * sizeof(double));
  }
  const void* d = mxGetData(a);
  return d ? sumWords(d, mxGetNumberOfElements(a) * mxGetElementSize(a)) : 0;
}

// Zeros over the first bytes of a block (a module's stores, without its work).
void touch(void* p, size_t bytes) {
  if (p && bytes) std::memset(p, 0, bytes);
}

void touchDense(mxArray* a) {
  if (a) touch(mxGetData(a), mxGetNumberOfElements(a) * mxGetElementSize(a));
}

mwSize sizeAt(const double* v, size_t n, size_t k) {
  return k < n && v[k] > 0 ? static_cast<mwSize>(v[k]) : 0;
}

}  // namespace

extern "C" void mexFunction(int nOut, mxArray* outArgs[], int nIn, const mxArray* inArgs[]) {
  if (nIn < 2 || !mxIsDouble(inArgs[0]) || !mxIsDouble(inArgs[1]) || mxIsSparse(inArgs[1]) ||
      mxGetNumberOfElements(inArgs[0]) != 1)
    mexErrMsgTxt("hostfloor(kind, sizes, inputs...)");
  const int kind = static_cast<int>(mxGetScalar(inArgs[0]));
  const double* s = mxGetPr(inArgs[1]);
  const size_t ns = mxGetNumberOfElements(inArgs[1]);
  uint64_t sum = 0;
  for (int k = 2; k < nIn; ++k) sum += readAll(inArgs[k]);

  mxArray* first = nullptr;
  mxArray* second = nullptr;
  if (kind == 1) {
    first = mxCreateDoubleMatrix(sizeAt(s, ns, 0), sizeAt(s, ns, 1), mxREAL);
    touchDense(first);
  } else if (kind == 2) {
    first = mxCreateNumericMatrix(sizeAt(s, ns, 0), 1, mxUINT32_CLASS, mxREAL);
    second = mxCreateNumericMatrix(sizeAt(s, ns, 1), 1, mxUINT32_CLASS, mxREAL);
    touchDense(first);
    touchDense(second);
  } else if (kind == 3) {
    const mwSize n = sizeAt(s, ns, 1), cap = sizeAt(s, ns, 2);
    first = mxCreateSparse(sizeAt(s, ns, 0), n, cap, mxREAL);
    if (first) {
      // All column starts 0: a valid matrix with no entries, its storage written throughout.
      touch(mxGetJc(first), (static_cast<size_t>(n) + 1) * sizeof(mwIndex));
      touch(mxGetIr(first), static_cast<size_t>(cap) * sizeof(mwIndex));
      touch(mxGetPr(first), static_cast<size_t>(cap) * sizeof(double));
    }
  } else if (kind == 4) {
    first = mxCreateNumericMatrix(sizeAt(s, ns, 0), 1, mxUINT32_CLASS, mxREAL);
    second = mxCreateNumericMatrix(sizeAt(s, ns, 2), 1, mxUINT32_CLASS, mxREAL);
    touchDense(second);
    if (first) {
      const mwSize cap = sizeAt(s, ns, 0), asked = sizeAt(s, ns, 1);
      const mwSize t = asked < cap ? asked : cap;
      touch(mxGetData(first), 4 * static_cast<size_t>(t));
      mxSetM(first, t);
      void* shrunk = mxRealloc(mxGetData(first), 4 * static_cast<size_t>(t));
      if (shrunk || t == 0) mxSetData(first, shrunk);
    }
  } else {
    mexErrMsgTxt("hostfloor: kind is 1, 2, 3 or 4");
  }
  if (!first || (kind % 2 == 0 && !second)) mexErrMsgTxt("hostfloor: out of memory");
  outArgs[0] = first;
  if (second && nOut > 1) outArgs[1] = second;
  if (sum && mxGetNumberOfElements(first) > 0 && !mxIsSparse(first)) {
    if (mxIsDouble(first))
      mxGetPr(first)[0] = static_cast<double>(sum & 1);
    else
      static_cast<uint32_t*>(mxGetData(first))[0] = static_cast<uint32_t>(sum & 1);
  }
}
