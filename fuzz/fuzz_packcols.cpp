// packcols under the fuzzer: every call ends in one of the module's texts, in the documented
// early return without an output, or in a real sparse matrix of a valid host layout that holds
// the lists exactly as given.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "fuzz_input.h"

namespace {

using fuzz::ArraySpec;
using fuzz::Call;

const std::vector<std::string> kTexts = {
#include "packcols_texts.inc"
};

enum { inRowIndex, inColStart, inValues, inRowCount };

// Lists over a row count (plausible most of the time), values to match and the row count.
void readStructured(fuzz::Reader& in, Call* c) {
  const uint64_t rows = fuzz::readDim(in) % 33, cols = fuzz::readDim(in) % 33;
  const fuzz::Lists l = fuzz::readLists(in, int64_t(rows), int64_t(cols));
  for (int k = 0; k < c->nIn; ++k) {
    const uint8_t form = in.byte();
    if (form >= 0xF0 || k > inRowCount) {
      c->in.push_back(fuzz::readArray(in));
    } else if (k == inRowIndex) {
      c->in.push_back(fuzz::listArray(in, l.index));
    } else if (k == inColStart) {
      c->in.push_back(fuzz::listArray(in, l.start));
    } else if (k == inValues) {
      std::vector<double> v;
      size_t count = l.index.size();
      if (form >= 0xE0) count = form & 1 ? count + 1 : (count ? count - 1 : 0);
      fuzz::readValues(in, count, &v);
      c->in.push_back(fuzz::denseSpec(mxDOUBLE_CLASS, 1, count, v));
    } else {
      std::vector<double> v = {double(rows)};
      if (form >= 0xC0) v[0] = fuzz::readValue(in, in.byte());
      c->in.push_back(fuzz::denseSpec(mxDOUBLE_CLASS, 1, 1, v));
    }
  }
}

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// An element of a 4-byte list as the module copies it: the 32 bits as they stand.
uint32_t bitsOf(const ArraySpec& a, uint64_t k) {
  const double v = a.at(k);
  return a.cls == mxINT32_CLASS ? uint32_t(int32_t(v)) : uint32_t(v);
}

void judge(const Call& c, const fuzz::Outcome& o) {
  const hostlayer::CallResult& r = o.result;
  if (c.nIn != 4)
    return fuzz::expect(c, r.failed && r.error == "Four input arguments required",
                        "input count not reported first");
  if (c.nOut > 1)
    return fuzz::expect(c, r.failed && r.error == "Too many output arguments.",
                        "output count not reported second");
  // Exact element counts, as the host reports them: the first two decide the early return.
  const uint64_t nonzeroCount = c.in[inRowIndex].count();
  const uint64_t starts = c.in[inColStart].count();
  if (nonzeroCount == 0 || starts <= 1)
    return fuzz::expect(c, !r.failed && r.out[0] == nullptr && o.creations == 0,
                        "empty lists did not return without an output");
  const bool countsFit = nonzeroCount <= 2147483647ULL && starts <= 2147483648ULL;
  if (c.in[inValues].count() != nonzeroCount)
    return fuzz::expect(c, r.failed && r.error == "index and value dimension mismatch",
                        "a value count mismatch not reported");
  const ArraySpec& rc = c.in[inRowCount];
  if (countsFit && rc.count() > 0 &&
      frame::truncToInt32(rc.at(0)) < int64_t(nonzeroCount / (starts - 1)))
    return fuzz::expect(c,
                        r.failed && r.error ==
                                        "Impossible to fit all the nonzeros into the "
                                        "matrix you specififed",
                        "a row count that fails the fit test not reported");
  // The row count is read through mxGetScalar, which fails on an empty array.
  if (r.failed) return fuzz::expectOwnError(c, o, kTexts, c.in[inRowCount].count() == 0);

  fuzz::expectNoIgnoredFailure(c, o);
  fuzz::expect(c, countsFit, "a result for lists beyond 32 bits");
  const mxArray* s = r.out[0];
  fuzz::expect(c, s && mxIsSparse(s) && mxGetClassID(s) == mxDOUBLE_CLASS && !mxIsComplex(s),
               "the result is not a real double sparse matrix");
  const std::string layout = fuzz::sparseLayoutProblem(s);
  if (!layout.empty()) fuzz::finding(c, "invalid sparse layout: " + layout);
  fuzz::expect(c, int64_t(mxGetM(s)) == frame::truncToInt32(c.in[inRowCount].at(0)),
               "the row count is not the one given");
  fuzz::expect(c, uint64_t(mxGetN(s)) == starts - 1, "the column count is not numel(colStart)-1");
  fuzz::expect(c, uint64_t(mxGetNzmax(s)) == nonzeroCount, "the capacity is not numel(rowIndex)");
  const mwIndex* jc = mxGetJc(s);
  const mwIndex* ir = mxGetIr(s);
  const double* pr = mxGetPr(s);
  bool same = true;
  for (uint64_t j = 0; j < starts; ++j) same &= uint64_t(jc[j]) == bitsOf(c.in[inColStart], j);
  fuzz::expect(c, same, "column starts differ from colStart");
  for (uint64_t e = 0; e < nonzeroCount; ++e) {
    same &= uint64_t(ir[e]) == bitsOf(c.in[inRowIndex], e);
    same &= sameBits(pr[e], c.in[inValues].at(e));
  }
  fuzz::expect(c, same, "row indices or values differ from the lists");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return fuzz::testOne(data, size, 5, readStructured, judge);
}
