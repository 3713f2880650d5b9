// sidescale under the fuzzer: every call ends in one of the module's texts or in a sparse matrix
// with the dimensions, capacity, pattern and complexity of S, whose values are the documented
// products bit for bit. S usually has the host's own layout; now and then one broken as another
// module might leave it, which must be refused or copied without leaving the arrays.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "fuzz_input.h"

namespace {

using fuzz::ArraySpec;
using fuzz::Call;

const std::vector<std::string> kTexts = {
#include "sidescale_texts.inc"
};

enum { inS, inRowFactor, inColFactor };

// A factor of the length a side needs, in one of the shapes that have it (or a wrong one).
ArraySpec readFactor(fuzz::Reader& in, uint64_t length) {
  const uint8_t form = in.byte();
  uint64_t m = length, n = 1;
  switch (form % 8) {
    case 0:
      break;
    case 1:
      std::swap(m, n);
      break;
    case 2:
      m = n = 0;
      break;
    case 3:
      m = 0;
      n = length;
      break;
    case 4:
      m = n = 1;
      break;
    case 5:
      n = length ? 1 + in.byte() % length : 0;  // the larger dimension is still the length
      break;
    case 6:
      m = length + 1;
      break;
    default:
      return fuzz::readArray(in);
  }
  std::vector<double> v;
  fuzz::readValues(in, size_t(m * n), &v);
  const mxClassID cls = form >= 0xF0 ? fuzz::classTable()[form & 0x0F] : mxDOUBLE_CLASS;
  return fuzz::denseSpec(cls, m, n, v);
}

void readStructured(fuzz::Reader& in, Call* c) {
  for (int k = 0; k < c->nIn; ++k) {
    if (k == inS) {
      ArraySpec s = fuzz::readArray(in);
      const uint8_t fault = in.byte();
      if (s.sparse && fault >= 0xE0 && !s.jc.empty()) {
        // A layout the host would never keep.
        const size_t j = in.byte() % s.jc.size();
        switch (fault % 4) {
          case 0:
            s.jc[j] += 1 + fault % 3;
            break;
          case 1:
            s.jc[j] = -1;
            break;
          case 2:
            if (!s.ir.empty()) s.ir[j % s.ir.size()] = int64_t(s.m) + fault % 2;
            break;
          default:
            if (!s.ir.empty()) s.ir[j % s.ir.size()] = -1;
            break;
        }
        s.nzmax = std::max<size_t>(s.nzmax, s.ir.size());
      }
      c->in.push_back(s);
    } else if (k == inRowFactor) {
      c->in.push_back(readFactor(in, c->in[inS].m % 33));
    } else if (k == inColFactor) {
      c->in.push_back(readFactor(in, c->in[inS].n % 33));
    } else {
      c->in.push_back(fuzz::readArray(in));
    }
  }
}

// Equal bits, or both NaN: which NaN an operation on NaNs gives (its sign and payload) is the
// processor's choice and may change with the order of the operands.
bool sameBits(double a, double b) { return fuzz::sameBits(a, b); }

// The host's own layout, as fuzz::sparseLayoutProblem checks it on a result.
bool layoutSound(const ArraySpec& s) {
  if (s.jc.empty() || s.jc[0] != 0) return false;
  for (size_t j = 0; j + 1 < s.jc.size(); ++j)
    if (s.jc[j + 1] < s.jc[j]) return false;
  if (size_t(s.jc.back()) != s.ir.size()) return false;
  for (size_t j = 0; j + 1 < s.jc.size(); ++j)
    for (int64_t k = s.jc[j]; k < s.jc[j + 1]; ++k)
      if (s.ir[size_t(k)] < 0 || uint64_t(s.ir[size_t(k)]) >= s.m ||
          (k > s.jc[j] && s.ir[size_t(k)] <= s.ir[size_t(k) - 1]))
        return false;
  return true;
}

void judge(const Call& c, const fuzz::Outcome& o) {
  const hostlayer::CallResult& r = o.result;
  if (c.nIn != 3)
    return fuzz::expect(c, r.failed && r.error == "Three input arguments required",
                        "input count not reported first");
  if (c.nOut > 1)
    return fuzz::expect(c, r.failed && r.error == "Too many output arguments.",
                        "output count not reported second");
  const ArraySpec& s = c.in[inS];
  const ArraySpec& rf = c.in[inRowFactor];
  const ArraySpec& cf = c.in[inColFactor];
  if (!s.sparse)
    return fuzz::expect(c, r.failed && r.error == "Input argument #1 must be of type sparse",
                        "a full S not reported");
  if (rf.sparse || cf.sparse)
    return fuzz::expect(c, r.failed && r.error == "Input argument #2 & #3 must be of type full",
                        "a sparse factor not reported");
  const uint64_t lr = std::max(rf.m, rf.n), lc = std::max(cf.m, cf.n);
  if (lr > 0 && lr != s.m)
    return fuzz::expect(c, r.failed && r.error == "Row multiplication dimension mismatch.",
                        "a row factor length not reported");
  if (lc > 0 && lc != s.n)
    return fuzz::expect(c, r.failed && r.error == "Column multiplication dimension mismatch.",
                        "a column factor length not reported");
  if (r.failed) return fuzz::expectOwnError(c, o, kTexts, false);

  fuzz::expectNoIgnoredFailure(c, o);
  const mxArray* out = r.out[0];
  fuzz::expect(c, out && mxIsSparse(out) && mxGetClassID(out) == mxDOUBLE_CLASS,
               "R is not a double sparse matrix");
  fuzz::expect(c, mxGetM(out) == s.m && mxGetN(out) == s.n, "R's dimensions differ from S's");
  fuzz::expect(c, bool(mxGetPi(out)) == s.complex, "R's complexity differs from S's");
  // The host layer gives every sparse array room for at least one entry.
  const size_t capacity =
      std::max<size_t>(s.cls == mxLOGICAL_CLASS || s.nzmax == 0 ? s.ir.size() : s.nzmax, 1);
  fuzz::expect(c, size_t(mxGetNzmax(out)) == capacity, "R's capacity differs from S's");
  fuzz::expect(c, s.cls == mxDOUBLE_CLASS, "a result for an S that is not double");
  // What S's storage holds at position e, zeros beyond the entries the fuzzer stored.
  auto irAt = [&s](size_t e) { return e < s.ir.size() ? s.ir[e] : 0; };
  auto reAt = [&s](size_t e) { return e < s.re.size() ? s.re[e] : 0.0; };
  auto imAt = [&s](size_t e) { return e < s.im.size() ? s.im[e] : 0.0; };
  // A result is only sound where every access stayed inside the arrays: column starts from 0,
  // never decreasing, ending within the capacity, and with rowFactor, rows below m.
  bool safe = s.jc[0] == 0;
  for (size_t j = 0; j + 1 < s.jc.size(); ++j) safe &= s.jc[j + 1] >= s.jc[j];
  safe &= s.jc.back() <= int64_t(capacity);
  fuzz::expect(c, safe, "a result for column starts that leave S's storage");
  const size_t entries = size_t(s.jc.back());
  const bool useRow = lr > 0 && rf.count() > 0, useCol = lc > 0 && cf.count() > 0;
  for (size_t e = 0; useRow && e < entries; ++e)
    fuzz::expect(c, irAt(e) >= 0 && uint64_t(irAt(e)) < s.m, "a result for a row index beyond m");
  if (layoutSound(s)) {
    const std::string layout = fuzz::sparseLayoutProblem(out);
    if (!layout.empty()) fuzz::finding(c, "invalid sparse layout: " + layout);
  }
  const mwIndex* jc = mxGetJc(out);
  const mwIndex* ir = mxGetIr(out);
  const double* re = mxGetPr(out);
  const double* im = mxGetPi(out);
  bool same = true;
  for (size_t j = 0; j < s.jc.size(); ++j) same &= int64_t(jc[j]) == s.jc[j];
  fuzz::expect(c, same, "R's column starts differ from S's");
  for (uint64_t j = 0; j < s.n; ++j) {
    for (int64_t k = s.jc[j]; k < s.jc[j + 1]; ++k) {
      const size_t e = size_t(k);
      same &= int64_t(ir[e]) == irAt(e);
      const double rowF = useRow ? rf.at(uint64_t(irAt(e))) : 0, colF = useCol ? cf.at(j) : 0;
      double x = reAt(e), y = imAt(e);
      if (useRow) {
        x = rowF * x;
        y = rowF * y;
      }
      if (useCol) {
        x = x * colF;
        y = y * colF;
      }
      same &= sameBits(re[e], x);
      if (s.complex) same &= sameBits(im[e], y);
    }
  }
  fuzz::expect(c, same, "R's pattern or values differ from the products");
  // Storage from E up to the capacity keeps what the host gave: zeros.
  for (size_t e = entries; e < size_t(mxGetNzmax(out)); ++e)
    same &= ir[e] == 0 && re[e] == 0 && (!im || im[e] == 0);
  fuzz::expect(c, same, "R's storage beyond E was written");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return fuzz::testOne(data, size, 4, readStructured, judge);
}
