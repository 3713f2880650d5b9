// The kernels of the five modules, for tests, benchmarks and other bindings. Each is defined in
// its module's source next to the gateway; none calls the host or allocates. Index arrays of
// host sparse matrices use the host's mwIndex.
#ifndef MODULES_KERNELS_H
#define MODULES_KERNELS_H

#include <cstdint>

#include "mex.h"

// Window neighbour lists of a rows-by-cols grid; returns the number of entries written.
int32_t boxreachKernel(int32_t rowRadius, int32_t colRadius, int32_t rows, int32_t cols,
                       const double* samp1, const double* samp2, uint32_t* pairIndex,
                       uint32_t* pairStart);

// Path-maximum weight of every pair of a pattern over a map of pixels values (rows per column).
void pathpeakKernel(int32_t rows, int32_t pixels, const double* valueMap, const uint32_t* pairIndex,
                    const uint32_t* pairStart, const double* mask, double* pairWeight,
                    int32_t pairCount);

// What pathpeakKernel trusts of a pattern: every non-empty range within the pairCount entries
// and holding pixel numbers below pixels. Returns the fault of the first pixel whose range
// breaks it (a range beyond the entries before its entries), or kPatternSound.
enum { kPatternSound, kPatternRangeBeyondList, kPatternEntryBeyondGrid };
int pathpeakPatternFault(int32_t pixels, const uint32_t* pairIndex, const uint32_t* pairStart,
                         int64_t pairCount);

// Copies column-compressed lists into a host sparse matrix's storage.
void packcolsKernel(const uint32_t* rowIndex, const uint32_t* colStart, const double* values,
                    int32_t nonzeroCount, int32_t colCount, mwIndex* outRowIndex,
                    mwIndex* outColStart, double* outValues);

// R = diag(rowFactor) * S * diag(colFactor) on S's pattern; absent factors and imaginary parts
// are null.
void sidescaleKernel(int32_t cols, const mwIndex* sColStart, const mwIndex* sRowIndex,
                     const double* sReal, const double* sImag, const double* rowFactor,
                     const double* colFactor, mwIndex* rColStart, mwIndex* rRowIndex, double* rReal,
                     double* rImag);

// Adds every data row into the output row its label names; out is zero-filled on entry.
void groupsumKernel(const double* data, int32_t dataRows, int32_t dataCols, const double* labels,
                    int32_t groupCount, double* out);

#endif
