// Test side of the host layer: build input arrays, call a module as the host would, inject
// creation failures and read the outputs back.
#ifndef HOSTLAYER_HOSTLAYER_H
#define HOSTLAYER_HOSTLAYER_H

#include <complex>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "mex.h"

namespace hostlayer {

// What mexErrMsgTxt throws: the call ends and the text reaches the caller.
struct HostError : std::runtime_error {
  explicit HostError(const std::string& text) : std::runtime_error(text) {}
};

// A misuse of the host detected by the layer (a write beyond the output slots, storage that the
// host never handed out, ...). Always a fault in the module.
struct LayerFault : std::logic_error {
  explicit LayerFault(const std::string& what) : std::logic_error(what) {}
};

using MexEntry = void (*)(int, mxArray*[], int, const mxArray*[]);

struct CallResult {
  bool failed = false;        // mexErrMsgTxt was called
  std::string error;          // its text
  std::vector<mxArray*> out;  // the max(nOut, 1) slots the host offered, null where unwritten
};

// Runs one call with exactly max(nOut, 1) output slots. A write beyond them raises LayerFault.
CallResult call(MexEntry entry, int nOut, const std::vector<const mxArray*>& in);

// Dense arrays, values column by column. Empty arrays have no storage (null data).
mxArray* makeDouble(size_t m, size_t n, const std::vector<double>& re,
                    const std::vector<double>& im = {});
mxArray* makeScalar(double v);
mxArray* makeRow(const std::vector<double>& v);
mxArray* makeColumn(const std::vector<double>& v);
// Any numeric, logical or char class; bytes holds m*n elements of that class.
mxArray* makeTyped(mxClassID cls, size_t m, size_t n, const void* bytes);
template <class T>
mxArray* makeTyped(mxClassID cls, size_t m, size_t n, const std::vector<T>& v) {
  if (v.size() != m * n) throw std::invalid_argument("makeTyped: element count");
  return makeTyped(cls, m, n, v.empty() ? nullptr : v.data());
}
mxArray* makeUint32Column(const std::vector<uint32_t>& v);
mxArray* makeLogical(size_t m, size_t n, const std::vector<int>& v);

// Sparse arrays in the host layout: n + 1 column starts, row indices and values per entry.
// nzmax 0 means the number of entries.
mxArray* makeSparse(size_t m, size_t n, const std::vector<int64_t>& jc,
                    const std::vector<int64_t>& ir, const std::vector<double>& re,
                    const std::vector<double>& im = {}, size_t nzmax = 0);
mxArray* makeSparseLogical(size_t m, size_t n, const std::vector<int64_t>& jc,
                           const std::vector<int64_t>& ir, const std::vector<bool>& v);

// Reading arrays back.
std::vector<double> realOf(const mxArray* a);  // stored values (sparse: the first E)
std::vector<double> imagOf(const mxArray* a);
std::vector<uint32_t> uint32Of(const mxArray* a);
std::vector<int64_t> jcOf(const mxArray* a);
std::vector<int64_t> irOf(const mxArray* a);  // the first E row indices

// Fault injection: the k-th array creation from now (1-based) returns null; 0 turns it off.
void failCreation(int k);
// Array creations (successful or failed) since the last reset.
int creationCount();
// Size in bytes of the most recent mxRealloc request, or -1 when none since the last reset.
long long lastReallocBytes();
// Clears fault injection and the counters, keeping every array.
void clearCounters();
// Frees every array and block, clears fault injection and the counters.
void reset();

}  // namespace hostlayer

#endif
