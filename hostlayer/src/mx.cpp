// Array side of the host layer (what libmx provides to a module), plus the test controls.
//
// Every block of storage comes from std::malloc with exactly the bytes the array needs, so a
// sanitizer build reports any read or write past an array. Empty dense arrays have no storage.
// The layer owns every array and block until reset(); modules free nothing, as with the host.
#include <cstdlib>
#include <cstring>
#include <limits>
#include <unordered_map>

#include "hostlayer.h"

struct mxArray_tag {
  mxClassID cls = mxDOUBLE_CLASS;
  bool sparse = false;
  bool complex = false;
  size_t m = 0, n = 0;
  void* re = nullptr;  // dense elements, or a sparse array's values
  void* im = nullptr;
  mwIndex* ir = nullptr;
  mwIndex* jc = nullptr;
  size_t nzmax = 0;
};

namespace hostlayer {
namespace {

// The largest block the layer hands out; a larger request fails as it would on a host short of
// memory, which keeps tests and fuzzing away from real exhaustion.
constexpr size_t kMaxBlock = size_t(1) << 31;

struct State {
  std::unordered_map<void*, size_t> blocks;
  std::vector<mxArray*> arrays;
  int failAt = 0;  // creations left until the injected failure, 0 for none
  int creations = 0;
  long long lastRealloc = -1;
};

State& state() {
  static State s;
  return s;
}

void* allocBlock(size_t bytes, bool zero) {
  if (bytes > kMaxBlock) return nullptr;
  void* p = zero ? std::calloc(bytes ? bytes : 1, 1) : std::malloc(bytes ? bytes : 1);
  if (p) state().blocks[p] = bytes;
  return p;
}

bool mulFits(size_t a, size_t b, size_t* out) { return !__builtin_mul_overflow(a, b, out); }

size_t classSize(mxClassID c) {
  switch (c) {
    case mxLOGICAL_CLASS:
    case mxINT8_CLASS:
    case mxUINT8_CLASS:
      return 1;
    case mxCHAR_CLASS:
    case mxINT16_CLASS:
    case mxUINT16_CLASS:
      return 2;
    case mxSINGLE_CLASS:
    case mxINT32_CLASS:
    case mxUINT32_CLASS:
      return 4;
    case mxDOUBLE_CLASS:
    case mxINT64_CLASS:
    case mxUINT64_CLASS:
      return 8;
    default:
      return 0;
  }
}

// A size from the module as the host sees it: negative signed sizes are not sizes.
bool sizeFrom(mwSize v, size_t* out) {
  // Converted through the signed type so that the test compiles away for unsigned sizes.
  if (static_cast<mwSignedIndex>(v) < 0 && std::numeric_limits<mwSize>::is_signed) return false;
  *out = static_cast<size_t>(v);
  return true;
}

mxArray* newArray() {
  auto* a = new mxArray_tag;
  state().arrays.push_back(a);
  return a;
}

// Counts a creation and tells whether the injected failure hits it.
bool creationFails() {
  State& s = state();
  ++s.creations;
  if (s.failAt > 0 && --s.failAt == 0) return true;
  return false;
}

mxArray* createDense(size_t m, size_t n, mxClassID cls, bool cplx) {
  size_t count = 0, bytes = 0;
  size_t es = classSize(cls);
  if (es == 0 || !mulFits(m, n, &count) || !mulFits(count, es, &bytes)) return nullptr;
  if (bytes > kMaxBlock) return nullptr;
  mxArray* a = newArray();
  a->cls = cls;
  a->m = m;
  a->n = n;
  a->complex = cplx;
  if (count > 0) {
    a->re = allocBlock(bytes, true);
    a->im = cplx ? allocBlock(bytes, true) : nullptr;
    if (!a->re || (cplx && !a->im)) return nullptr;
  }
  return a;
}

mxArray* createSparse(size_t m, size_t n, size_t nzmax, mxClassID cls, bool cplx) {
  if (nzmax == 0) nzmax = 1;  // the host always gives room for one entry
  size_t es = classSize(cls), jcBytes = 0, irBytes = 0, valBytes = 0;
  if (n == std::numeric_limits<size_t>::max() || !mulFits(n + 1, sizeof(mwIndex), &jcBytes) ||
      !mulFits(nzmax, sizeof(mwIndex), &irBytes) || !mulFits(nzmax, es, &valBytes))
    return nullptr;
  if (jcBytes > kMaxBlock || irBytes > kMaxBlock || valBytes > kMaxBlock) return nullptr;
  mxArray* a = newArray();
  a->cls = cls;
  a->sparse = true;
  a->complex = cplx;
  a->m = m;
  a->n = n;
  a->nzmax = nzmax;
  a->jc = static_cast<mwIndex*>(allocBlock(jcBytes, true));
  a->ir = static_cast<mwIndex*>(allocBlock(irBytes, true));
  a->re = allocBlock(valBytes, true);
  a->im = cplx ? allocBlock(valBytes, true) : nullptr;
  if (!a->jc || !a->ir || !a->re || (cplx && !a->im)) return nullptr;
  return a;
}

size_t storedCount(const mxArray* a) {
  if (!a->sparse) return a->m * a->n;
  return static_cast<size_t>(a->jc[a->n]);
}

}  // namespace

mxArray* makeDouble(size_t m, size_t n, const std::vector<double>& re,
                    const std::vector<double>& im) {
  if (re.size() != m * n || (!im.empty() && im.size() != m * n))
    throw std::invalid_argument("makeDouble: element count");
  mxArray* a = createDense(m, n, mxDOUBLE_CLASS, !im.empty());
  if (!a) throw std::bad_alloc();
  if (!re.empty()) std::memcpy(a->re, re.data(), re.size() * sizeof(double));
  if (!im.empty()) std::memcpy(a->im, im.data(), im.size() * sizeof(double));
  return a;
}

mxArray* makeScalar(double v) { return makeDouble(1, 1, {v}); }
mxArray* makeRow(const std::vector<double>& v) { return makeDouble(1, v.size(), v); }
mxArray* makeColumn(const std::vector<double>& v) { return makeDouble(v.size(), 1, v); }

mxArray* makeTyped(mxClassID cls, size_t m, size_t n, const void* bytes) {
  mxArray* a = createDense(m, n, cls, false);
  if (!a) throw std::bad_alloc();
  if (m * n > 0) std::memcpy(a->re, bytes, m * n * classSize(cls));
  return a;
}

mxArray* makeUint32Column(const std::vector<uint32_t>& v) {
  return makeTyped(mxUINT32_CLASS, v.size(), 1, v);
}

mxArray* makeLogical(size_t m, size_t n, const std::vector<int>& v) {
  if (v.size() != m * n) throw std::invalid_argument("makeLogical: element count");
  mxArray* a = createDense(m, n, mxLOGICAL_CLASS, false);
  if (!a) throw std::bad_alloc();
  for (size_t k = 0; k < v.size(); ++k) static_cast<mxLogical*>(a->re)[k] = v[k] != 0;
  return a;
}

static mxArray* makeSparseOf(mxClassID cls, size_t m, size_t n, const std::vector<int64_t>& jc,
                             const std::vector<int64_t>& ir, size_t nzmax, bool cplx) {
  if (jc.size() != n + 1) throw std::invalid_argument("makeSparse: column starts");
  if (nzmax == 0) nzmax = ir.size();
  if (nzmax < ir.size()) throw std::invalid_argument("makeSparse: capacity");
  mxArray* a = createSparse(m, n, nzmax, cls, cplx);
  if (!a) throw std::bad_alloc();
  for (size_t j = 0; j <= n; ++j) a->jc[j] = static_cast<mwIndex>(jc[j]);
  for (size_t k = 0; k < ir.size(); ++k) a->ir[k] = static_cast<mwIndex>(ir[k]);
  return a;
}

mxArray* makeSparse(size_t m, size_t n, const std::vector<int64_t>& jc,
                    const std::vector<int64_t>& ir, const std::vector<double>& re,
                    const std::vector<double>& im, size_t nzmax) {
  if (re.size() != ir.size() || (!im.empty() && im.size() != ir.size()))
    throw std::invalid_argument("makeSparse: value count");
  mxArray* a = makeSparseOf(mxDOUBLE_CLASS, m, n, jc, ir, nzmax, !im.empty());
  if (!re.empty()) std::memcpy(a->re, re.data(), re.size() * sizeof(double));
  if (!im.empty()) std::memcpy(a->im, im.data(), im.size() * sizeof(double));
  return a;
}

mxArray* makeSparseLogical(size_t m, size_t n, const std::vector<int64_t>& jc,
                           const std::vector<int64_t>& ir, const std::vector<bool>& v) {
  if (v.size() != ir.size()) throw std::invalid_argument("makeSparseLogical: value count");
  mxArray* a = makeSparseOf(mxLOGICAL_CLASS, m, n, jc, ir, 0, false);
  auto* p = static_cast<mxLogical*>(a->re);
  for (size_t k = 0; k < v.size(); ++k) p[k] = v[k];
  return a;
}

std::vector<double> realOf(const mxArray* a) {
  if (a->cls != mxDOUBLE_CLASS) throw std::invalid_argument("realOf: not double");
  const auto* p = static_cast<const double*>(a->re);
  return std::vector<double>(p, p + storedCount(a));
}

std::vector<double> imagOf(const mxArray* a) {
  if (a->cls != mxDOUBLE_CLASS || !a->im) return {};
  const auto* p = static_cast<const double*>(a->im);
  return std::vector<double>(p, p + storedCount(a));
}

std::vector<uint32_t> uint32Of(const mxArray* a) {
  if (a->cls != mxUINT32_CLASS || a->sparse) throw std::invalid_argument("uint32Of: class");
  const auto* p = static_cast<const uint32_t*>(a->re);
  return std::vector<uint32_t>(p, p + a->m * a->n);
}

std::vector<int64_t> jcOf(const mxArray* a) {
  if (!a->sparse) throw std::invalid_argument("jcOf: not sparse");
  std::vector<int64_t> v(a->n + 1);
  for (size_t j = 0; j <= a->n; ++j) v[j] = static_cast<int64_t>(a->jc[j]);
  return v;
}

std::vector<int64_t> irOf(const mxArray* a) {
  if (!a->sparse) throw std::invalid_argument("irOf: not sparse");
  std::vector<int64_t> v(storedCount(a));
  for (size_t k = 0; k < v.size(); ++k) v[k] = static_cast<int64_t>(a->ir[k]);
  return v;
}

void failCreation(int k) { state().failAt = k; }
int creationCount() { return state().creations; }
long long lastReallocBytes() { return state().lastRealloc; }

void clearCounters() {
  State& s = state();
  s.failAt = 0;
  s.creations = 0;
  s.lastRealloc = -1;
}

void reset() {
  State& s = state();
  for (auto& b : s.blocks) std::free(b.first);
  for (mxArray* a : s.arrays) delete a;
  s.blocks.clear();
  s.arrays.clear();
  clearCounters();
}

CallResult call(MexEntry entry, int nOut, const std::vector<const mxArray*>& in) {
  // The slots the host offers, then guard slots that a module must never touch.
  constexpr int kGuard = 4;
  static mxArray guardMark;
  int slots = nOut > 1 ? nOut : 1;
  std::vector<mxArray*> out(static_cast<size_t>(slots + kGuard), nullptr);
  for (int g = 0; g < kGuard; ++g) out[static_cast<size_t>(slots + g)] = &guardMark;
  std::vector<const mxArray*> args(in);
  CallResult r;
  try {
    entry(nOut, out.data(), static_cast<int>(args.size()), args.empty() ? nullptr : args.data());
  } catch (const HostError& e) {
    r.failed = true;
    r.error = e.what();
  }
  for (int g = 0; g < kGuard; ++g)
    if (out[static_cast<size_t>(slots + g)] != &guardMark)
      throw LayerFault("module wrote output slot " + std::to_string(slots + g) + " of " +
                       std::to_string(slots));
  out.resize(static_cast<size_t>(slots));
  r.out = out;
  return r;
}

}  // namespace hostlayer

using hostlayer::LayerFault;

extern "C" {

size_t mxGetM(const mxArray* a) { return a->m; }
size_t mxGetN(const mxArray* a) { return a->n; }
size_t mxGetNumberOfElements(const mxArray* a) { return a->m * a->n; }
size_t mxGetElementSize(const mxArray* a) { return hostlayer::classSize(a->cls); }
mxClassID mxGetClassID(const mxArray* a) { return a->cls; }
bool mxIsDouble(const mxArray* a) { return a->cls == mxDOUBLE_CLASS; }
bool mxIsSingle(const mxArray* a) { return a->cls == mxSINGLE_CLASS; }
bool mxIsUint32(const mxArray* a) { return a->cls == mxUINT32_CLASS; }
bool mxIsInt32(const mxArray* a) { return a->cls == mxINT32_CLASS; }
bool mxIsLogical(const mxArray* a) { return a->cls == mxLOGICAL_CLASS; }
bool mxIsChar(const mxArray* a) { return a->cls == mxCHAR_CLASS; }
bool mxIsSparse(const mxArray* a) { return a->sparse; }
bool mxIsComplex(const mxArray* a) { return a->complex; }
bool mxIsEmpty(const mxArray* a) { return a->m == 0 || a->n == 0; }

// As in the hosts, the value pointers are the raw storage whatever the class.
double* mxGetPr(const mxArray* a) { return static_cast<double*>(a->re); }
double* mxGetPi(const mxArray* a) { return static_cast<double*>(a->im); }
void* mxGetData(const mxArray* a) { return a->re; }
mwIndex* mxGetIr(const mxArray* a) { return a->ir; }
mwIndex* mxGetJc(const mxArray* a) { return a->jc; }
mwSize mxGetNzmax(const mxArray* a) {
  return static_cast<mwSize>(a->sparse ? a->nzmax : a->m * a->n);
}

double mxGetScalar(const mxArray* a) {
  // An empty array has no first element; the host reports an error of its own.
  if (a->m * a->n == 0) throw hostlayer::HostError("mxGetScalar: the array is empty");
  if (a->sparse) {
    // The (0, 0) element: the first stored entry when it lies in row 0 of column 0.
    bool first = a->jc[1] > 0 && a->ir[0] == 0;
    if (!first) return 0.0;
    if (a->cls == mxLOGICAL_CLASS) return static_cast<const mxLogical*>(a->re)[0] ? 1.0 : 0.0;
    return static_cast<const double*>(a->re)[0];
  }
  switch (a->cls) {
    case mxDOUBLE_CLASS:
      return static_cast<const double*>(a->re)[0];
    case mxSINGLE_CLASS:
      return static_cast<const float*>(a->re)[0];
    case mxLOGICAL_CLASS:
      return static_cast<const mxLogical*>(a->re)[0] ? 1.0 : 0.0;
    case mxCHAR_CLASS:
      return static_cast<const mxChar*>(a->re)[0];
    case mxINT8_CLASS:
      return static_cast<const int8_t*>(a->re)[0];
    case mxUINT8_CLASS:
      return static_cast<const uint8_t*>(a->re)[0];
    case mxINT16_CLASS:
      return static_cast<const int16_t*>(a->re)[0];
    case mxUINT16_CLASS:
      return static_cast<const uint16_t*>(a->re)[0];
    case mxINT32_CLASS:
      return static_cast<const int32_t*>(a->re)[0];
    case mxUINT32_CLASS:
      return static_cast<const uint32_t*>(a->re)[0];
    case mxINT64_CLASS:
      return static_cast<double>(static_cast<const int64_t*>(a->re)[0]);
    case mxUINT64_CLASS:
      return static_cast<double>(static_cast<const uint64_t*>(a->re)[0]);
    default:
      return 0.0;
  }
}

mxArray* mxCreateDoubleMatrix(mwSize m, mwSize n, mxComplexity complexity) {
  return mxCreateNumericMatrix(m, n, mxDOUBLE_CLASS, complexity);
}

mxArray* mxCreateNumericMatrix(mwSize m, mwSize n, mxClassID cls, mxComplexity complexity) {
  if (hostlayer::creationFails()) return nullptr;
  size_t mm = 0, nn = 0;
  if (!hostlayer::sizeFrom(m, &mm) || !hostlayer::sizeFrom(n, &nn)) return nullptr;
  return hostlayer::createDense(mm, nn, cls, complexity == mxCOMPLEX);
}

mxArray* mxCreateSparse(mwSize m, mwSize n, mwSize nzmax, mxComplexity complexity) {
  if (hostlayer::creationFails()) return nullptr;
  size_t mm = 0, nn = 0, cap = 0;
  if (!hostlayer::sizeFrom(m, &mm) || !hostlayer::sizeFrom(n, &nn) ||
      !hostlayer::sizeFrom(nzmax, &cap))
    return nullptr;
  return hostlayer::createSparse(mm, nn, cap, mxDOUBLE_CLASS, complexity == mxCOMPLEX);
}

void* mxRealloc(void* ptr, size_t size) {
  auto& s = hostlayer::state();
  s.lastRealloc = static_cast<long long>(size);
  if (ptr && !s.blocks.count(ptr)) throw LayerFault("mxRealloc of storage the host never gave");
  if (size > hostlayer::kMaxBlock) return nullptr;
  if (size == 0) {
    // Like the host, a resize to nothing frees the block and returns null.
    if (ptr) {
      s.blocks.erase(ptr);
      std::free(ptr);
    }
    return nullptr;
  }
  void* p = std::realloc(ptr, size);
  if (!p) return nullptr;
  if (ptr) s.blocks.erase(ptr);
  s.blocks[p] = size;
  return p;
}

void mxSetData(mxArray* a, void* data) {
  if (data && !hostlayer::state().blocks.count(data))
    throw LayerFault("mxSetData with storage the host never gave");
  a->re = data;
}

void mxSetM(mxArray* a, mwSize m) {
  size_t mm = 0;
  if (!hostlayer::sizeFrom(m, &mm)) throw LayerFault("mxSetM with a negative row count");
  a->m = mm;
}

}  // extern "C"
