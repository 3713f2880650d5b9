// pathpeak under the fuzzer: every call ends in one of the module's texts or in one weight per
// entry of pairIndex, equal bit for bit to the path walk written out from its definition.
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
#include "pathpeak_texts.inc"
};

enum { inValueMap, inSecondMap, inPairIndex, inPairStart, inMask };

// A map over a grid, a second array of its size, a pattern over its pixels (plausible most of
// the time) and a mask of labels.
void readStructured(fuzz::Reader& in, Call* c) {
  // Grids up to 16 x 16 and 1024 pairs keep a call (walks of up to 16 samples) fast.
  const uint64_t m = fuzz::readDim(in) % 17, n = fuzz::readDim(in) % 17;
  const int64_t pixels = int64_t(m * n);
  for (int k = 0; k < c->nIn; ++k) {
    const uint8_t form = in.byte();
    if (form >= 0xF0 || k > inMask || k == inPairStart) {
      c->in.push_back(fuzz::readArray(in));
    } else if (k == inValueMap || k == inSecondMap || k == inMask) {
      std::vector<double> v;
      if (k == inMask) {
        for (uint64_t e = 0; e < m * n; ++e) v.push_back(double(int(in.byte() % 4) - 1));
        if (form >= 0xC0) v.clear();  // an empty mask means no mask
      } else {
        fuzz::readValues(in, size_t(m * n), &v);
      }
      c->in.push_back(v.empty() ? fuzz::denseSpec(mxDOUBLE_CLASS, form & 1 ? 0 : 1, 0, {})
                                : fuzz::denseSpec(mxDOUBLE_CLASS, m, n, v));
    } else if (k == inPairIndex) {
      const fuzz::Lists l = fuzz::readLists(in, pixels, pixels, 1024);
      c->in.push_back(fuzz::listArray(in, l.index));
      if (c->nIn > inPairStart) c->in.push_back(fuzz::listArray(in, l.start));
      ++k;
    }
  }
}

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// The weights from the definition of the walk; false when an entry in a range is not a pixel.
bool referenceWeights(const Call& c, int64_t m, int64_t pixels, const ArraySpec* mask,
                      std::vector<double>* w) {
  const ArraySpec& map = c.in[inValueMap];
  const ArraySpec& idx = c.in[inPairIndex];
  const ArraySpec& st = c.in[inPairStart];
  auto u32 = [](const ArraySpec& a, uint64_t k) { return uint32_t(int64_t(a.at(k))); };
  const uint64_t t = idx.count();
  w->assign(size_t(t), 0.0);
  for (int64_t p = 0; p < pixels; ++p) {
    const int64_t rp = p % m, cp = p / m;
    for (uint32_t j = u32(st, uint64_t(p)); j < u32(st, uint64_t(p) + 1); ++j) {
      if (j >= t) return false;
      const int64_t q = int32_t(u32(idx, j));
      if (q < 0 || q >= pixels) return false;
      // Ranges may overlap when pairStart decreases: the later pixel's weight stands.
      (*w)[j] = 0.0;
      if (q == p) continue;
      if (mask && mask->at(uint64_t(q)) == mask->at(uint64_t(p)) && mask->at(uint64_t(p)) > 0)
        continue;
      const int64_t rq = q % m, cq = q / m;
      const int64_t dc = std::abs(cp - cq), dr = std::abs(rp - rq);
      const bool cols = dc >= dr;
      const int64_t a0 = cols ? cp : rp, a1 = cols ? cq : rq;
      const int64_t b0 = cols ? rp : cp, b1 = cols ? rq : cq;
      const int64_t n = std::abs(a1 - a0), s = a1 > a0 ? 1 : -1;
      const double slope = double(b1 - b0) / double(a1 - a0);
      double v = 0.0;
      for (int64_t k = 0; k < n; ++k) {
        const int64_t a = a0 + k * s;
        const int64_t b =
            k == 0 ? b0 : frame::truncToInt32((slope * double(a - a0) + 0.5) + double(b0));
        const double x = map.at(uint64_t(cols ? b + m * a : a + m * b));
        if (x > v) v = x;
      }
      (*w)[j] = 0.5 * v;
    }
  }
  return true;
}

void judge(const Call& c, const fuzz::Outcome& o) {
  const hostlayer::CallResult& r = o.result;
  if (c.nIn < 4)
    return fuzz::expect(c, r.failed && r.error == "Four input arguments required",
                        "input count not reported first");
  if (c.nOut > 1)
    return fuzz::expect(c, r.failed && r.error == "Too many output arguments",
                        "output count not reported second");
  const ArraySpec& map = c.in[inValueMap];
  const ArraySpec& second = c.in[inSecondMap];
  // The documented sizes are signed 32-bit counts; beyond them only the module's own texts
  // are expected.
  const int64_t starts = fuzz::count32(c.in[inPairStart]);
  const int64_t secondCount = fuzz::count32(second);
  const int64_t pixels = starts - 1;
  const bool sizesFit =
      starts >= 0 && secondCount >= 0 && map.m <= 2147483647ULL && map.n <= 2147483647ULL;
  if (sizesFit) {
    if (map.m != second.m || map.n != second.n || secondCount != pixels || pixels < 1)
      return fuzz::expect(c, r.failed && r.error == "Dimension mismatches between the inputs",
                          "a size mismatch not reported");
    if (c.in[inPairIndex].cls != mxUINT32_CLASS || c.in[inPairStart].cls != mxUINT32_CLASS)
      return fuzz::expect(c, r.failed && r.error == "Index pair shall be of type UINT32",
                          "an index class not reported");
    if (c.nIn >= 5 && c.in[inMask].count() > 0) {
      const ArraySpec& mask = c.in[inMask];
      if (mask.m != map.m || mask.n != map.n || mask.cls != mxDOUBLE_CLASS)
        return fuzz::expect(c, r.failed && r.error == "Incorrect size or type for mask",
                            "a mask of the wrong size or class not reported");
    }
  }
  if (r.failed) return fuzz::expectOwnError(c, o, kTexts, false);

  fuzz::expectNoIgnoredFailure(c, o);
  fuzz::expect(c, sizesFit && pixels >= 1, "a result without a grid");
  const ArraySpec* mask = c.nIn >= 5 && c.in[inMask].count() > 0 ? &c.in[inMask] : nullptr;
  const mxArray* w = r.out[0];
  fuzz::expect(c, fuzz::isDenseOf(w, mxDOUBLE_CLASS) && mxGetN(w) == 1,
               "pairWeight is not a real double column");
  fuzz::expect(c, uint64_t(mxGetM(w)) == c.in[inPairIndex].count(),
               "pairWeight does not have one entry per pairIndex entry");
  std::vector<double> want;
  fuzz::expect(c, referenceWeights(c, int64_t(map.m), pixels, mask, &want),
               "a result for a pattern that leaves the grid or the list");
  const std::vector<double> got = hostlayer::realOf(w);
  for (size_t k = 0; k < got.size() && k < want.size(); ++k)
    if (!sameBits(got[k], want[k]))
      fuzz::finding(c, "pairWeight differs from the path walk at entry " + std::to_string(k) +
                           ": " + std::to_string(got[k]) + " instead of " +
                           std::to_string(want[k]));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return fuzz::testOne(data, size, 6, readStructured, judge);
}
