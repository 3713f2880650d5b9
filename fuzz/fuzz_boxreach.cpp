// boxreach under the fuzzer: every call ends in one of the module's texts or in a PairPattern
// equal, list for list, to the windows written out from their definition.
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "fuzz_input.h"

namespace {

using fuzz::ArraySpec;
using fuzz::Call;

const std::vector<std::string> kTexts = {
#include "boxreach_texts.inc"
};

enum { inR, inSamp1, inSamp2 };

// Related inputs: a grid given as a size or as a mask, and a samp2 of that grid's size.
void readStructured(fuzz::Reader& in, Call* c) {
  const unsigned variant = (c->mode >> 2) % 3;
  uint64_t m = fuzz::readDim(in) % 33, n = fuzz::readDim(in) % 33;
  for (int k = 0; k < c->nIn; ++k) {
    if (k == inSamp1) {
      if (variant == 0) {
        c->in.push_back(fuzz::denseSpec(mxDOUBLE_CLASS, 1, 2, {double(m), double(n)}));
      } else if (variant == 1) {
        c->in.push_back(fuzz::denseSpec(mxDOUBLE_CLASS, 1, 1, {double(m)}));
        n = m;
      } else {
        std::vector<double> v;
        fuzz::readValues(in, size_t(m * n), &v);
        c->in.push_back(fuzz::denseSpec(mxDOUBLE_CLASS, m, n, v));
      }
    } else if (k == inSamp2 && in.byte() < 0xE0) {
      std::vector<double> v;
      fuzz::readValues(in, size_t(m * n), &v);
      c->in.push_back(fuzz::denseSpec(mxDOUBLE_CLASS, m, n, v));
    } else {
      c->in.push_back(fuzz::readArray(in));
    }
  }
}

struct Grid {
  int64_t a = 0, b = 0, m = 0, n = 0;
  const ArraySpec* mask1 = nullptr;
  const ArraySpec* mask2 = nullptr;
};

// The grid and radii the documented reading of the inputs gives; false where the inputs do not
// define one (no radius element, a samp1 or samp2 of another class or size).
bool gridOf(const Call& c, Grid* g) {
  const ArraySpec& r = c.in[inR];
  const ArraySpec& s1 = c.in[inSamp1];
  if (r.count() == 0 || s1.cls != mxDOUBLE_CLASS) return false;
  g->a = frame::truncToInt32(r.at(0));
  g->b = (r.m > 1 || r.n > 1) ? frame::truncToInt32(r.at(1)) : g->a;
  if (s1.count() == 1 || s1.count() == 2) {
    g->m = frame::truncToInt32(s1.at(0));
    g->n = s1.count() == 2 ? frame::truncToInt32(s1.at(1)) : g->m;
  } else {
    g->m = int64_t(s1.m);
    g->n = int64_t(s1.n);
    g->mask1 = &s1;
  }
  if (c.nIn == 3) {
    const ArraySpec& s2 = c.in[inSamp2];
    if (int64_t(s2.m) != g->m || int64_t(s2.n) != g->n || s2.cls != mxDOUBLE_CLASS) return false;
    g->mask2 = &s2;
  }
  return true;
}

// Calls whose legitimate work is too large for a fast execution: a grid given by its size with
// more than 16384 pixels, or room for more than 65536 entries, that the host layer could still
// create. Grids beyond what the layer can create are kept: they must be refused cheaply.
bool tooSlow(const Call& c) {
  if (c.nIn < 2 || c.nOut > 2) return false;
  Grid g;
  if (!gridOf(c, &g) || g.a < 1 || g.b < 1 || g.m < 0 || g.n < 0) return false;
  const double pixels = double(g.m) * double(g.n);
  const double window = (2.0 * double(g.a) + 1) * (2.0 * double(g.b) + 1);
  const double capacity = pixels * std::min(window, pixels);
  const double blockEntries = double(1u << 29);  // the layer's largest block, in entries
  return (pixels > double(1 << 14) && pixels < blockEntries) ||
         (capacity > double(1 << 16) && capacity <= blockEntries);
}

// The lists from their definition, pixel by pixel.
void referenceLists(const Grid& g, std::vector<uint32_t>* index, std::vector<uint32_t>* start) {
  start->reserve(size_t(g.m * g.n) + 1);
  if (g.m == 0 || g.n == 0) return start->push_back(0);
  for (int64_t j = 0; j < g.n; ++j) {
    for (int64_t i = 0; i < g.m; ++i) {
      const int64_t p = i + g.m * j;
      start->push_back(uint32_t(index->size()));
      if (g.mask1 && g.mask1->at(uint64_t(p)) == 0) continue;
      for (int64_t jj = std::max<int64_t>(0, j - g.b); jj <= std::min(g.n - 1, j + g.b); ++jj)
        for (int64_t ii = std::max<int64_t>(0, i - g.a); ii <= std::min(g.m - 1, i + g.a); ++ii) {
          const int64_t q = ii + g.m * jj;
          if (!g.mask2 || g.mask2->at(uint64_t(q)) != 0) index->push_back(uint32_t(q));
        }
    }
  }
  start->push_back(uint32_t(index->size()));
}

void judge(const Call& c, const fuzz::Outcome& o) {
  const hostlayer::CallResult& r = o.result;
  if (c.nIn < 2)
    return fuzz::expect(c, r.failed && r.error == "Two input arguments required",
                        "input count not reported first");
  if (c.nOut > 2)
    return fuzz::expect(c, r.failed && r.error == "Too many output arguments.",
                        "output count not reported second");
  const ArraySpec& rad = c.in[inR];
  if (rad.fullDouble() && rad.count() > 0) {
    const int32_t a = frame::truncToInt32(rad.re[0]);
    const int32_t b = (rad.m > 1 || rad.n > 1) ? frame::truncToInt32(rad.re[1]) : a;
    if (a < 1 || b < 1)
      return fuzz::expect(c, r.failed && r.error == "r should be positive",
                          "a radius below 1 not reported");
    if (c.in[inSamp1].cls != mxDOUBLE_CLASS)
      return fuzz::expect(c, r.failed && r.error == "arguments should be double",
                          "a samp1 of another class not reported");
  }
  if (r.failed) return fuzz::expectOwnError(c, o, kTexts, false);

  fuzz::expectNoIgnoredFailure(c, o);
  Grid g;
  fuzz::expect(c, gridOf(c, &g), "a result for inputs that define no grid");
  fuzz::expect(c, g.a >= 1 && g.b >= 1 && g.m >= 0 && g.n >= 0, "a result for a bad radius/grid");
  const int64_t pixels = g.m * g.n;
  std::vector<uint32_t> wantIndex, wantStart;
  referenceLists(g, &wantIndex, &wantStart);

  const mxArray* pi = r.out[0];
  fuzz::expect(c, fuzz::isDenseOf(pi, mxUINT32_CLASS) && mxGetN(pi) == 1,
               "pairIndex is not a uint32 column");
  const std::vector<uint32_t> index = hostlayer::uint32Of(pi);
  bool below = true;
  for (uint32_t q : index) below &= int64_t(q) < pixels;
  fuzz::expect(c, below, "an entry not below P");
  if (frame::slotOffered(c.nOut, 1)) {
    const mxArray* ps = r.out[1];
    fuzz::expect(c, fuzz::isDenseOf(ps, mxUINT32_CLASS) && mxGetN(ps) == 1,
                 "pairStart is not a uint32 column");
    const std::vector<uint32_t> start = hostlayer::uint32Of(ps);
    fuzz::expect(c, int64_t(start.size()) == pixels + 1, "pairStart does not have P + 1 entries");
    fuzz::expect(c, start[0] == 0, "pairStart does not begin at 0");
    fuzz::expect(c, start.back() == index.size(), "the last start is not the length");
    for (size_t p = 0; p + 1 < start.size(); ++p) {
      fuzz::expect(c, start[p] <= start[p + 1], "pairStart decreases");
      bool ascending = true;
      for (uint32_t k = start[p] + 1; k < start[p + 1]; ++k) ascending &= index[k - 1] < index[k];
      fuzz::expect(c, ascending, "a run is not strictly ascending");
    }
    fuzz::expect(c, start == wantStart, "pairStart differs from the windows");
  }
  fuzz::expect(c, index == wantIndex, "pairIndex differs from the windows");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return fuzz::testOne(data, size, 3, readStructured, judge, tooSlow);
}
