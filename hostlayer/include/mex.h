// Declarations of the host operations that the modules use, for building and testing them without
// a host. Written for this project from the documented behaviour of the mx/mex interface: the
// names, argument types and class codes are the interface's own, everything else is ours.
//
// The index width is chosen at build time, as the hosts differ:
//   HOSTLAYER_INDEX_INT32   32-bit signed mwSize/mwIndex (the original host)
//   HOSTLAYER_INDEX_UINT64  size_t mwSize/mwIndex (current MATLAB)
//   otherwise               64-bit signed mwSize/mwIndex (GNU Octave)
#ifndef HOSTLAYER_MEX_H
#define HOSTLAYER_MEX_H

#include <stddef.h>
#include <stdint.h>

#if defined(HOSTLAYER_INDEX_INT32)
typedef int32_t mwSize;
typedef int32_t mwIndex;
typedef int32_t mwSignedIndex;
#elif defined(HOSTLAYER_INDEX_UINT64)
typedef size_t mwSize;
typedef size_t mwIndex;
typedef ptrdiff_t mwSignedIndex;
#else
typedef int64_t mwSize;
typedef int64_t mwIndex;
typedef int64_t mwSignedIndex;
#endif

typedef enum {
  mxUNKNOWN_CLASS = 0,
  mxCELL_CLASS = 1,
  mxSTRUCT_CLASS = 2,
  mxLOGICAL_CLASS = 3,
  mxCHAR_CLASS = 4,
  mxVOID_CLASS = 5,
  mxDOUBLE_CLASS = 6,
  mxSINGLE_CLASS = 7,
  mxINT8_CLASS = 8,
  mxUINT8_CLASS = 9,
  mxINT16_CLASS = 10,
  mxUINT16_CLASS = 11,
  mxINT32_CLASS = 12,
  mxUINT32_CLASS = 13,
  mxINT64_CLASS = 14,
  mxUINT64_CLASS = 15,
  mxFUNCTION_CLASS = 16
} mxClassID;

typedef enum { mxREAL = 0, mxCOMPLEX = 1 } mxComplexity;

typedef bool mxLogical;
typedef char16_t mxChar;

typedef struct mxArray_tag mxArray;

#ifdef __cplusplus
extern "C" {
#endif

// The entry every module defines.
void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[]);

// libmex
#if defined(__GNUC__)
__attribute__((noreturn))
#endif
void mexErrMsgTxt(const char* text);

// libmx: inquiry
size_t mxGetM(const mxArray* a);
size_t mxGetN(const mxArray* a);
size_t mxGetNumberOfElements(const mxArray* a);
size_t mxGetElementSize(const mxArray* a);
mxClassID mxGetClassID(const mxArray* a);
bool mxIsDouble(const mxArray* a);
bool mxIsSingle(const mxArray* a);
bool mxIsUint32(const mxArray* a);
bool mxIsInt32(const mxArray* a);
bool mxIsLogical(const mxArray* a);
bool mxIsChar(const mxArray* a);
bool mxIsSparse(const mxArray* a);
bool mxIsComplex(const mxArray* a);
bool mxIsEmpty(const mxArray* a);
double* mxGetPr(const mxArray* a);
double* mxGetPi(const mxArray* a);
void* mxGetData(const mxArray* a);
mwIndex* mxGetIr(const mxArray* a);
mwIndex* mxGetJc(const mxArray* a);
mwSize mxGetNzmax(const mxArray* a);
double mxGetScalar(const mxArray* a);

// libmx: creation and change
mxArray* mxCreateDoubleMatrix(mwSize m, mwSize n, mxComplexity complexity);
mxArray* mxCreateNumericMatrix(mwSize m, mwSize n, mxClassID cls, mxComplexity complexity);
mxArray* mxCreateSparse(mwSize m, mwSize n, mwSize nzmax, mxComplexity complexity);
void* mxRealloc(void* ptr, size_t size);
void mxSetData(mxArray* a, void* data);
void mxSetM(mxArray* a, mwSize m);

#ifdef __cplusplus
}
#endif

#endif
