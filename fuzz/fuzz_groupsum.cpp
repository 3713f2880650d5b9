// groupsum under the fuzzer: every call ends in one of the module's texts or in a groupCount-by-
// dataCols matrix equal, bit for bit, to the sums added in ascending row order from +0.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "fuzz_input.h"

namespace {

using fuzz::ArraySpec;
using fuzz::Call;

const std::vector<std::string> kTexts = {
#include "groupsum_texts.inc"
};

enum { inData, inLabels, inGroupCount };

// Data, one label per row (within the group count most of the time) and a group count.
void readStructured(fuzz::Reader& in, Call* c) {
  const uint64_t rows = fuzz::readDim(in) % 33, cols = fuzz::readDim(in) % 33;
  const unsigned groups = in.byte() % 9;
  for (int k = 0; k < c->nIn; ++k) {
    const uint8_t form = in.byte();
    if (form >= 0xF0 || k > inGroupCount) {
      c->in.push_back(fuzz::readArray(in));
    } else if (k == inData) {
      std::vector<double> v;
      fuzz::readValues(in, size_t(rows * cols), &v);
      c->in.push_back(fuzz::denseSpec(mxDOUBLE_CLASS, rows, cols, v));
    } else if (k == inLabels) {
      std::vector<double> v;
      for (uint64_t i = 0; i < rows; ++i) {
        const uint8_t b = in.byte();
        v.push_back(b < 0xE0 ? double(1 + b % (groups ? groups : 1)) : fuzz::readValue(in, b));
      }
      c->in.push_back(form & 1 ? fuzz::denseSpec(mxDOUBLE_CLASS, rows, 1, v)
                               : fuzz::denseSpec(mxDOUBLE_CLASS, 1, rows, v));
    } else {
      const double g = form >= 0xC0 ? fuzz::readValue(in, in.byte()) : double(groups);
      c->in.push_back(fuzz::denseSpec(mxDOUBLE_CLASS, 1, 1, {g}));
    }
  }
}

// Equal bits, or both NaN: which NaN an operation on NaNs gives (its sign and payload) is the
// processor's choice and may change with the order of the operands.
bool sameBits(double a, double b) { return fuzz::sameBits(a, b); }

// The documented group count: the third input when exactly three are given, else dataCols.
int64_t groupCountOf(const Call& c) {
  if (c.nIn == 3)
    return c.in[inGroupCount].count() ? frame::truncToInt32(c.in[inGroupCount].at(0)) : -1;
  return int64_t(c.in[inData].n);
}

// Outputs of more than 4 MiB that the host layer could still create take too long to check.
bool tooSlow(const Call& c) {
  if (c.nIn < 2 || c.nOut > 1) return false;
  const double bytes = 8.0 * double(groupCountOf(c)) * double(c.in[inData].n);
  return bytes > double(1 << 22) && bytes <= double(1u << 31);
}

void judge(const Call& c, const fuzz::Outcome& o) {
  const hostlayer::CallResult& r = o.result;
  if (c.nIn < 2)
    return fuzz::expect(c, r.failed && r.error == "Two input arguments required",
                        "input count not reported first");
  if (c.nOut > 1)
    return fuzz::expect(c, r.failed && r.error == "Too many output arguments.",
                        "output count not reported second");
  const ArraySpec& data = c.in[inData];
  const ArraySpec& labels = c.in[inLabels];
  const int64_t labelCount = fuzz::count32(labels);
  if (labelCount >= 0 && data.m <= 2147483647ULL && labelCount != int64_t(data.m))
    return fuzz::expect(c, r.failed && r.error == "Dimension mismatch.",
                        "a label count mismatch not reported");
  // The group count is read through mxGetScalar, which fails on an empty array.
  if (r.failed)
    return fuzz::expectOwnError(c, o, kTexts, c.nIn == 3 && c.in[inGroupCount].count() == 0);

  fuzz::expectNoIgnoredFailure(c, o);
  const int64_t groups = groupCountOf(c);
  fuzz::expect(c, groups >= 0, "a result for a negative group count");
  const mxArray* out = r.out[0];
  fuzz::expect(c, fuzz::isDenseOf(out, mxDOUBLE_CLASS), "the result is not a real double matrix");
  fuzz::expect(c, int64_t(mxGetM(out)) == groups && mxGetN(out) == data.n,
               "the result is not groupCount by dataCols");
  std::vector<double> want(size_t(groups * int64_t(data.n)), 0.0);
  for (uint64_t i = 0; i < data.m && data.n > 0; ++i) {
    const int64_t g = int64_t(frame::truncToInt32(labels.at(i))) - 1;
    if (g < 0 || g >= groups) continue;  // (a call with such a label must have been refused)
    for (uint64_t j = 0; j < data.n; ++j)
      want[size_t(g + int64_t(j) * groups)] += data.at(i + j * data.m);
  }
  const std::vector<double> got = hostlayer::realOf(out);
  fuzz::expect(c, got.size() == want.size(), "the result has the wrong number of elements");
  for (size_t k = 0; k < got.size(); ++k) {
    if (sameBits(got[k], want[k])) continue;
    char what[160];
    std::snprintf(what, sizeof what,
                  "the sums differ from the rows added in order at %zu: %a instead of %a", k,
                  got[k], want[k]);
    fuzz::finding(c, what);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return fuzz::testOne(data, size, 4, readStructured, judge, tooSlow);
}
