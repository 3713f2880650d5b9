// Turning fuzzer bytes into module calls, and module calls into bytes (for the seed corpus).
//
// A call is a header (input count, output count, fault injection, mode) followed by its inputs.
// In the generic mode every input is an array read by readArray; the structured modes let the
// module's target build related inputs itself (a grid and a mask of the same size, a
// pattern that fits a pixel count) so the deeper paths are reached more often than chance allows.
//
// Array encoding: a kind byte (class in bits 0-3, storage in bits 4-5, shape in bits 6-7), the
// dimensions, then the values. Sizes stay small (at most 32 x 32 stored elements) so that every
// execution is fast; empty arrays may carry one huge dimension, which costs no storage.
#ifndef FUZZ_FUZZ_INPUT_H
#define FUZZ_FUZZ_INPUT_H

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include "hostlayer.h"

namespace fuzz {

// Reads bytes from the front; past the end every byte is 0.
class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool done() const { return pos_ >= size_; }
  uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  uint64_t bytes(int count) {
    uint64_t v = 0;
    for (int k = 0; k < count; ++k) v |= uint64_t(byte()) << (8 * k);
    return v;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

class Writer {
 public:
  void byte(unsigned v) { out.push_back(static_cast<uint8_t>(v)); }
  void bytes(uint64_t v, int count) {
    for (int k = 0; k < count; ++k) byte(static_cast<unsigned>((v >> (8 * k)) & 0xFF));
  }
  std::vector<uint8_t> out;
};

// ---- values ----------------------------------------------------------------------------------

// Tags: below 0xC0 a small integer (tag - 64); 0xC0-0xDF kSpecial; 0xE0-0xEF a half-integer;
// 0xF0 a raw 32-bit unsigned; 0xF1 a raw double; 0xF2 a raw 16-bit signed; 0xF3 a run (next byte
// + 1 copies of the previous value); 0xF4-0xFF kRound.
constexpr uint8_t kRunTag = 0xF3;

inline const double* specialValues() {
  static const double v[32] = {std::numeric_limits<double>::quiet_NaN(),
                               HUGE_VAL,
                               -HUGE_VAL,
                               -0.0,
                               0.5,
                               -0.5,
                               0.9,
                               1.5,
                               1.9,
                               2.5,
                               2.9,
                               -1.5,
                               0.1,
                               1.0 / 3.0,
                               1e-300,
                               4.9406564584124654e-324,
                               DBL_MAX,
                               -DBL_MAX,
                               1e300,
                               2147483647.0,
                               2147483648.0,
                               -2147483648.0,
                               -2147483649.0,
                               4294967295.0,
                               4294967296.0,
                               9007199254740992.0,
                               1e10,
                               -1e10,
                               65536.0,
                               40000.0,
                               2147483647.5,
                               -2147483648.5};
  return v;
}

inline const double* roundValues() {
  static const double v[12] = {128, 255, 256, 1000, 1023, 1024, 4095, 4096, 32767, 65535, 1e6, 1e7};
  return v;
}

inline bool sameBits(double a, double b) {
  if (std::isnan(a) && std::isnan(b)) return true;
  return std::memcmp(&a, &b, sizeof a) == 0;
}

inline double bitsToDouble(uint64_t u) {
  double d;
  std::memcpy(&d, &u, sizeof d);
  return d;
}

// One value from its tag; kRunTag is handled by the caller.
inline double readValue(Reader& in, uint8_t tag) {
  if (tag < 0xC0) return double(int(tag) - 64);
  if (tag < 0xE0) return specialValues()[tag - 0xC0];
  if (tag < 0xF0) return double(int(tag) - 0xE8) + 0.5;
  switch (tag) {
    case 0xF0:
      return double(uint32_t(in.bytes(4)));
    case 0xF1:
      return bitsToDouble(in.bytes(8));
    case 0xF2:
      return double(int16_t(uint16_t(in.bytes(2))));
    default:
      return roundValues()[tag - 0xF4];
  }
}

inline void writeValue(Writer& w, double v) {
  if (v == std::floor(v) && v >= -64 && v <= 127 && !(v == 0 && std::signbit(v))) {
    w.byte(unsigned(int(v) + 64));
    return;
  }
  for (int k = 0; k < 32; ++k)
    if (sameBits(specialValues()[k], v)) return w.byte(0xC0u + unsigned(k));
  for (int k = 0; k < 12; ++k)
    if (roundValues()[k] == v) return w.byte(0xF4u + unsigned(k));
  if (v >= 0 && v <= 4294967295.0 && v == std::floor(v)) {
    w.byte(0xF0);
    w.bytes(uint64_t(v), 4);
    return;
  }
  uint64_t u;
  std::memcpy(&u, &v, sizeof u);
  w.byte(0xF1);
  w.bytes(u, 8);
}

// ---- arrays ----------------------------------------------------------------------------------

constexpr uint64_t kMaxDim = 32;
constexpr size_t kMaxElements = kMaxDim * kMaxDim;

inline const mxClassID* classTable() {
  static const mxClassID c[16] = {mxDOUBLE_CLASS, mxSINGLE_CLASS, mxLOGICAL_CLASS, mxCHAR_CLASS,
                                  mxINT8_CLASS,   mxUINT8_CLASS,  mxINT16_CLASS,   mxUINT16_CLASS,
                                  mxINT32_CLASS,  mxUINT32_CLASS, mxINT64_CLASS,   mxUINT64_CLASS,
                                  mxDOUBLE_CLASS, mxDOUBLE_CLASS, mxUINT32_CLASS,  mxINT32_CLASS};
  return c;
}

inline unsigned classCode(mxClassID c) {
  for (unsigned k = 0; k < 12; ++k)
    if (classTable()[k] == c) return k;
  return 0;
}

inline const char* className(mxClassID c) {
  switch (c) {
    case mxDOUBLE_CLASS:
      return "double";
    case mxSINGLE_CLASS:
      return "single";
    case mxLOGICAL_CLASS:
      return "logical";
    case mxCHAR_CLASS:
      return "char";
    case mxINT8_CLASS:
      return "int8";
    case mxUINT8_CLASS:
      return "uint8";
    case mxINT16_CLASS:
      return "int16";
    case mxUINT16_CLASS:
      return "uint16";
    case mxINT32_CLASS:
      return "int32";
    case mxUINT32_CLASS:
      return "uint32";
    case mxINT64_CLASS:
      return "int64";
    case mxUINT64_CLASS:
      return "uint64";
    default:
      return "?";
  }
}

// Dimensions: a byte below 0xF8 gives 0 to 32; the top eight give dimensions far beyond what an
// array with storage can have here, kept only where the other dimension is 0.
inline const uint64_t* bigDims() {
  static const uint64_t d[8] = {33,         100,        1000,          65536,
                                2147483647, 2147483648, 4294967297ULL, 1ULL << 40};
  return d;
}

inline uint64_t readDim(Reader& in) {
  uint8_t b = in.byte();
  if (b < 0xF8) return b % (kMaxDim + 1);
#if defined(HOSTLAYER_INDEX_INT32)
  // A host with 32-bit sizes has no dimension beyond 2^31 - 1.
  return std::min<uint64_t>(bigDims()[b - 0xF8], 2147483647);
#else
  return bigDims()[b - 0xF8];
#endif
}

inline void writeDim(Writer& w, uint64_t d) {
  if (d <= kMaxDim) return w.byte(unsigned(d));
  for (int k = 0; k < 8; ++k)
    if (bigDims()[k] == d) return w.byte(0xF8u + unsigned(k));
  w.byte(unsigned(kMaxDim));
}

// The value an element of class c holds after storing v into it, as a double.
inline double asStored(mxClassID c, double v) {
  auto sat = [v](double lo, double hi) {
    if (std::isnan(v)) return 0.0;
    return std::trunc(std::min(hi, std::max(lo, v)));
  };
  switch (c) {
    case mxDOUBLE_CLASS:
      return v;
    case mxSINGLE_CLASS:
      if (std::isnan(v) || std::isinf(v)) return v;
      if (std::fabs(v) > double(FLT_MAX)) return v > 0 ? HUGE_VAL : -HUGE_VAL;
      return double(float(v));
    case mxLOGICAL_CLASS:
      return v != 0 ? 1.0 : 0.0;
    case mxCHAR_CLASS:
      return sat(0, 65535);
    case mxINT8_CLASS:
      return sat(-128, 127);
    case mxUINT8_CLASS:
      return sat(0, 255);
    case mxINT16_CLASS:
      return sat(-32768, 32767);
    case mxUINT16_CLASS:
      return sat(0, 65535);
    case mxINT32_CLASS:
      return sat(-2147483648.0, 2147483647.0);
    case mxUINT32_CLASS:
      return sat(0, 4294967295.0);
    case mxINT64_CLASS:
      return sat(-9223372036854775808.0, 9223372036854774784.0);
    case mxUINT64_CLASS:
      return sat(0, 18446744073709549568.0);
    default:
      return 0;
  }
}

// One host array as the fuzzer means it; values are held as the doubles the elements store.
struct ArraySpec {
  mxClassID cls = mxDOUBLE_CLASS;
  bool sparse = false;
  bool complex = false;
  uint64_t m = 0, n = 0;
  std::vector<double> re, im;   // dense: m*n elements; sparse: one per stored entry
  std::vector<int64_t> jc, ir;  // sparse only
  size_t nzmax = 0;             // sparse only; 0 means the number of entries
  uint64_t count() const { return m * n; }
  bool fullDouble() const { return cls == mxDOUBLE_CLASS && !sparse; }

  // Element k in storage order (column by column), real part, for any storage.
  double at(uint64_t k) const {
    if (!sparse) return re[k];
    uint64_t j = k / m, i = k % m;
    for (int64_t e = jc[j]; e < jc[j + 1]; ++e)
      if (uint64_t(ir[size_t(e)]) == i) return re[size_t(e)];
    return 0;
  }
};

inline ArraySpec denseSpec(mxClassID cls, uint64_t m, uint64_t n, const std::vector<double>& v) {
  ArraySpec a;
  a.cls = cls;
  a.m = m;
  a.n = n;
  for (double x : v) a.re.push_back(asStored(cls, x));
  return a;
}

inline ArraySpec sparseSpec(uint64_t m, uint64_t n, const std::vector<int64_t>& jc,
                            const std::vector<int64_t>& ir, const std::vector<double>& re,
                            const std::vector<double>& im = {}, size_t nzmax = 0,
                            mxClassID cls = mxDOUBLE_CLASS) {
  ArraySpec a;
  a.cls = cls;
  a.sparse = true;
  a.complex = !im.empty();
  a.m = m;
  a.n = n;
  a.jc = jc;
  a.ir = ir;
  for (double x : re) a.re.push_back(asStored(cls, x));
  a.im = im;
  a.nzmax = nzmax;
  return a;
}

inline void readValues(Reader& in, size_t count, std::vector<double>* out) {
  out->reserve(count);
  double last = 0;
  while (out->size() < count) {
    if (in.done()) {
      out->push_back(0);
      continue;
    }
    uint8_t tag = in.byte();
    if (tag == kRunTag) {
      size_t copies = size_t(in.byte()) + 1;
      for (size_t k = 0; k < copies && out->size() < count; ++k) out->push_back(last);
      continue;
    }
    last = readValue(in, tag);
    out->push_back(last);
  }
}

inline void writeValues(Writer& w, const std::vector<double>& v) {
  for (size_t k = 0; k < v.size();) {
    writeValue(w, v[k]);
    size_t run = 0;
    while (k + 1 + run < v.size() && run < 256 && sameBits(v[k + 1 + run], v[k])) ++run;
    if (run >= 2) {
      w.byte(kRunTag);
      w.byte(unsigned(run - 1));
      k += 1 + run;
    } else {
      ++k;
    }
  }
}

inline ArraySpec readArray(Reader& in) {
  const uint8_t kind = in.byte();
  ArraySpec a;
  a.cls = classTable()[kind & 0x0F];
  const unsigned storage = (kind >> 4) & 3;
  a.sparse = storage >= 2;
  if (a.sparse && a.cls != mxLOGICAL_CLASS) a.cls = mxDOUBLE_CLASS;
  a.complex = a.cls == mxDOUBLE_CLASS && (storage & 1);
  switch (kind >> 6) {
    case 0:
      a.m = readDim(in);
      a.n = readDim(in);
      break;
    case 1:
      a.m = a.n = 1;
      break;
    case 2:
      a.m = 1;
      a.n = readDim(in);
      break;
    default:
      a.m = readDim(in);
      a.n = 1;
      break;
  }
  // Storage stays small: a huge dimension survives only beside a zero one.
  if (a.m * a.n > kMaxElements || (a.m > kMaxDim && a.n > 0) || (a.n > kMaxDim && a.m > 0)) {
    a.m %= kMaxDim + 1;
    a.n %= kMaxDim + 1;
  }
  if (a.sparse && a.n > kMaxDim) a.n %= kMaxDim + 1;  // one column start per column
  if (!a.sparse) {
    a.complex = a.complex && a.count() > 0;  // an empty array has no imaginary part to keep
    readValues(in, size_t(a.count()), &a.re);
    if (a.complex) readValues(in, size_t(a.count()), &a.im);
    for (double& x : a.re) x = asStored(a.cls, x);
    return a;
  }
  const uint64_t cells = a.count();
  std::set<uint64_t> at;
  const unsigned wanted = in.byte();
  for (unsigned k = 0; k < wanted && cells > 0; ++k) at.insert(in.bytes(2) % cells);
  a.jc.assign(size_t(a.n) + 1, 0);
  for (uint64_t p : at) {
    a.ir.push_back(int64_t(p % a.m));
    ++a.jc[size_t(p / a.m) + 1];
  }
  for (size_t j = 0; j < a.n; ++j) a.jc[j + 1] += a.jc[j];
  const size_t extra = in.byte() % 8;
  a.nzmax = a.cls == mxLOGICAL_CLASS || extra == 0 ? 0 : at.size() + extra;
  a.complex =
      a.complex && !at.empty();  // the host layer makes a sparse array complex by its values
  readValues(in, at.size(), &a.re);
  if (a.complex) readValues(in, at.size(), &a.im);
  for (double& x : a.re) x = asStored(a.cls, x);
  return a;
}

inline void writeArray(Writer& w, const ArraySpec& a) {
  unsigned storage = a.sparse ? 2 : 0;
  if (a.complex) storage |= 1;
  w.byte(classCode(a.cls) | (storage << 4));  // shape 0: both dimensions explicit
  writeDim(w, a.m);
  writeDim(w, a.n);
  if (!a.sparse) {
    writeValues(w, a.re);
    if (a.complex) writeValues(w, a.im);
    return;
  }
  w.byte(unsigned(a.ir.size()));
  for (size_t j = 0; j < a.n; ++j)
    for (int64_t e = a.jc[j]; e < a.jc[j + 1]; ++e) w.bytes(uint64_t(a.ir[size_t(e)]) + j * a.m, 2);
  w.byte(a.nzmax > a.ir.size() ? unsigned(a.nzmax - a.ir.size()) : 0);
  writeValues(w, a.re);
  if (a.complex) writeValues(w, a.im);
}

// The host array an ArraySpec describes, owned by the host layer until reset().
inline mxArray* build(const ArraySpec& a) {
  const size_t m = size_t(a.m), n = size_t(a.n);
  if (a.sparse) {
    if (a.cls == mxLOGICAL_CLASS) {
      std::vector<bool> v;
      for (double x : a.re) v.push_back(x != 0);
      return hostlayer::makeSparseLogical(m, n, a.jc, a.ir, v);
    }
    return hostlayer::makeSparse(m, n, a.jc, a.ir, a.re, a.im, a.nzmax);
  }
  if (a.cls == mxDOUBLE_CLASS) return hostlayer::makeDouble(m, n, a.re, a.im);
  if (a.cls == mxLOGICAL_CLASS) {
    std::vector<int> v;
    for (double x : a.re) v.push_back(x != 0);
    return hostlayer::makeLogical(m, n, v);
  }
  std::vector<uint8_t> bytes;
  auto put = [&bytes](auto x) {
    const auto* p = reinterpret_cast<const uint8_t*>(&x);
    bytes.insert(bytes.end(), p, p + sizeof x);
  };
  for (double x : a.re) {
    switch (a.cls) {
      case mxSINGLE_CLASS:
        put(float(x));
        break;
      case mxCHAR_CLASS:
      case mxUINT16_CLASS:
        put(uint16_t(x));
        break;
      case mxINT8_CLASS:
        put(int8_t(x));
        break;
      case mxUINT8_CLASS:
        put(uint8_t(x));
        break;
      case mxINT16_CLASS:
        put(int16_t(x));
        break;
      case mxINT32_CLASS:
        put(int32_t(x));
        break;
      case mxUINT32_CLASS:
        put(uint32_t(x));
        break;
      case mxINT64_CLASS:
        put(int64_t(x));
        break;
      default:
        put(uint64_t(x));
        break;
    }
  }
  return hostlayer::makeTyped(a.cls, m, n, bytes.empty() ? nullptr : bytes.data());
}

inline std::string describe(const ArraySpec& a) {
  std::string s = std::to_string(a.m) + "x" + std::to_string(a.n) + " " + className(a.cls);
  if (a.sparse) s += " sparse";
  if (a.complex) s += " complex";
  s += " [";
  const size_t shown = std::min<size_t>(a.re.size(), 40);
  char buf[40];
  for (size_t k = 0; k < shown; ++k) {
    std::snprintf(buf, sizeof buf, "%s%.17g", k ? " " : "", a.re[k]);
    s += buf;
  }
  if (a.re.size() > shown) s += " ...";
  s += "]";
  if (a.sparse) {
    s += " jc";
    for (size_t j = 0; j < std::min<size_t>(a.jc.size(), 8); ++j)
      s += " " + std::to_string(a.jc[j]);
    s += " nzmax " + std::to_string(a.nzmax);
  }
  return s;
}

// ---- calls -----------------------------------------------------------------------------------

struct Call {
  int nIn = 0, nOut = 0;
  int failAt = 0;  // 1-based creation to fail, 0 for none
  unsigned mode = 0;
  std::vector<ArraySpec> in;
};

inline void readHeader(Reader& r, int maxIn, Call* c) {
  c->nIn = r.byte() % (maxIn + 2);
  c->nOut = r.byte() % 4;
  const unsigned f = r.byte() % 8;
  c->failAt = f <= 3 ? int(f) : 0;
  c->mode = r.byte();
}

// Three modes in four build related inputs (mode 0, that of the seeds, reads every input as a
// generic array); the bits above the lowest two choose among a target's variants.
inline bool structured(const Call& c) { return c.mode % 4 != 0; }

inline std::vector<uint8_t> encode(const Call& c) {
  Writer w;
  w.byte(unsigned(c.nIn));
  w.byte(unsigned(c.nOut));
  w.byte(unsigned(c.failAt));
  w.byte(c.mode);
  for (const ArraySpec& a : c.in) writeArray(w, a);
  return w.out;
}

// ---- index lists -----------------------------------------------------------------------------

// Column-compressed lists over `rows` rows and `cols` columns: ascending distinct entries per
// column, at most `limit` entries in all; then, a third of the time, one fault of the kinds a wrong
// caller makes (an entry out of range, a descending or repeated run, starts that do not begin at
// 0, decrease, or end elsewhere than at the entry count).
struct Lists {
  std::vector<uint32_t> index, start;
};

inline Lists readLists(Reader& in, int64_t rows, int64_t cols, size_t limit = 4096) {
  Lists l;
  l.start.push_back(0);
  for (int64_t j = 0; j < cols; ++j) {
    const int64_t most = std::min<int64_t>(rows, 16);
    const int64_t c = most > 0 ? in.byte() % (most + 1) : 0;
    std::set<uint32_t> run;
    for (int64_t k = 0; k < c && l.index.size() + run.size() < limit; ++k)
      run.insert(uint32_t(in.byte() % rows));
    l.index.insert(l.index.end(), run.begin(), run.end());
    l.start.push_back(uint32_t(l.index.size()));
  }
  const uint8_t fault = in.byte();
  if (fault < 0xA8) return l;
  const size_t t = l.index.size(), s = l.start.size();
  const uint8_t where = in.byte();
  switch (fault % 10) {
    case 0:
      if (t) l.index[where % t] = uint32_t(rows + where % 3);
      break;
    case 1:
      if (t) l.index[where % t] = where & 1 ? 0xFFFFFFFFu : 0x80000000u;
      break;
    case 2:
      if (t > 1) std::swap(l.index[where % (t - 1)], l.index[where % (t - 1) + 1]);
      break;
    case 3:
      if (t > 1) l.index[where % (t - 1) + 1] = l.index[where % (t - 1)];
      break;
    case 4:
      l.start[0] = 1 + where % 3;
      break;
    case 5:
      if (s > 2) l.start[1 + where % (s - 2)] = l.start[1 + where % (s - 2)] / 2 + t;
      break;
    case 6:
      l.start[s - 1] = where & 1 ? uint32_t(t + 1) : 0xFFFFFFFFu;
      break;
    case 7:
      if (t) l.start[s - 1] = uint32_t(t - 1);
      break;
    case 8:
      if (t) l.index.pop_back();
      break;
    default:
      l.index.push_back(where);
      break;
  }
  return l;
}

// A list as an array: mostly a uint32 column, sometimes a row, a matrix, int32 or double.
inline ArraySpec listArray(Reader& in, const std::vector<uint32_t>& v) {
  const uint8_t form = in.byte();
  mxClassID cls = mxUINT32_CLASS;
  if (form >= 0xE0) cls = (form & 1) ? mxINT32_CLASS : mxDOUBLE_CLASS;
  uint64_t m = v.size(), n = 1;
  if ((form & 0x18) == 0x08) std::swap(m, n);
  if ((form & 0x18) == 0x10 && v.size() % 2 == 0 && !v.empty()) {
    m = 2;
    n = v.size() / 2;
  }
  std::vector<double> d;
  for (uint32_t x : v) d.push_back(cls == mxINT32_CLASS ? double(int32_t(x)) : double(x));
  return denseSpec(cls, m, n, d);
}

}  // namespace fuzz

#endif
