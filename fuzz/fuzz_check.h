// Running one decoded call through the host layer and judging its outcome. A finding prints the
// call and what was wrong, then aborts, so libFuzzer keeps the input as a crash file.
#ifndef FUZZ_FUZZ_CHECK_H
#define FUZZ_FUZZ_CHECK_H

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "frame.h"
#include "fuzz_input.h"
#include "hostlayer.h"

namespace fuzz {

// What the host layer reports for mxGetScalar of an empty array.
const char* const kEmptyScalar = "mxGetScalar: the array is empty";

struct Outcome {
  hostlayer::CallResult result;
  int creations = 0;
};

[[noreturn]] inline void finding(const Call& c, const std::string& what) {
  std::fprintf(stderr, "\n=== FINDING: %s\n  nIn %d, nOut %d, failing creation %d, mode %u\n",
               what.c_str(), c.nIn, c.nOut, c.failAt, c.mode);
  for (size_t k = 0; k < c.in.size(); ++k)
    std::fprintf(stderr, "  in[%zu]: %s\n", k, describe(c.in[k]).c_str());
  std::fflush(stderr);
  std::abort();
}

// With FUZZ_STATS set, how the calls ended is counted and printed at exit (run a target over
// its corpus with -runs=0 to see which paths the corpus reaches).
inline void count(const hostlayer::CallResult& r) {
  static const bool on = std::getenv("FUZZ_STATS") != nullptr;
  if (!on) return;
  static std::map<std::string, long>* counts = [] {
    auto* m = new std::map<std::string, long>;
    std::atexit([] {
      for (const auto& [what, n] : *counts) std::fprintf(stderr, "%9ld  %s\n", n, what.c_str());
    });
    return m;
  }();
  ++(*counts)[r.failed ? "error: " + r.error : "result"];
}

// Builds the inputs, arms the injected failure and calls the module. Host-layer faults (a write
// beyond the offered output slots, foreign storage handed back) are findings.
inline Outcome run(const Call& c, hostlayer::MexEntry entry) {
  hostlayer::reset();
  if (c.in.size() != size_t(c.nIn)) finding(c, "the fuzzer decoded a wrong number of inputs");
  std::vector<const mxArray*> args;
  try {
    for (const ArraySpec& a : c.in) args.push_back(build(a));
  } catch (const std::exception& e) {
    finding(c, std::string("the fuzzer built an impossible array: ") + e.what());
  }
  hostlayer::clearCounters();
  hostlayer::failCreation(c.failAt);
  Outcome o;
  try {
    o.result = hostlayer::call(entry, c.nOut, args);
  } catch (const hostlayer::LayerFault& e) {
    finding(c, std::string("host layer fault: ") + e.what());
  }
  o.creations = hostlayer::creationCount();
  count(o.result);
  return o;
}

inline bool listed(const std::string& text, const std::vector<std::string>& texts) {
  for (const std::string& t : texts)
    if (t == text) return true;
  return false;
}

// Common judgement of a failed call: the text must be one of the module's own, and an injected
// creation failure that the call reached must end in one of its out-of-memory texts.
inline void expectOwnError(const Call& c, const Outcome& o, const std::vector<std::string>& texts,
                           bool emptyScalarAllowed) {
  const std::string& e = o.result.error;
  if (e == kEmptyScalar) {
    if (!emptyScalarAllowed) finding(c, "host error from mxGetScalar of an empty array");
    return;
  }
  if (!listed(e, texts)) finding(c, "error text that is not the module's: \"" + e + "\"");
}

// A successful call must not have passed over a creation that the host refused.
inline void expectNoIgnoredFailure(const Call& c, const Outcome& o) {
  if (c.failAt > 0 && o.creations >= c.failAt)
    finding(c,
            "the call succeeded although creation " + std::to_string(c.failAt) + " returned null");
}

inline void expect(const Call& c, bool ok, const char* what) {
  if (!ok) finding(c, what);
}

// The host's sparse layout: starts from 0, never decreasing, ending within the capacity; row
// indices below m, ascending without repeats within a column.
inline std::string sparseLayoutProblem(const mxArray* a) {
  if (!mxIsSparse(a)) return "not sparse";
  const int64_t m = frame::rowsOf(a), n = frame::colsOf(a);
  const int64_t cap = int64_t(mxGetNzmax(a));
  const mwIndex* jc = mxGetJc(a);
  const mwIndex* ir = mxGetIr(a);
  if (!jc) return "no column starts";
  if (int64_t(jc[0]) != 0) return "first column start is not 0";
  for (int64_t j = 0; j < n; ++j) {
    const int64_t b = int64_t(jc[j]), e = int64_t(jc[j + 1]);
    if (e < b) return "column starts decrease at column " + std::to_string(j);
    if (e > cap) return "column start beyond the capacity at column " + std::to_string(j);
    for (int64_t k = b; k < e; ++k) {
      const int64_t i = int64_t(ir[k]);
      if (i < 0 || i >= m) return "row index out of range at entry " + std::to_string(k);
      if (k > b && i <= int64_t(ir[k - 1]))
        return "row indices not ascending at entry " + std::to_string(k);
    }
  }
  return "";
}

inline bool isDenseOf(const mxArray* a, mxClassID cls) {
  return a && !mxIsSparse(a) && mxGetClassID(a) == cls && !mxIsComplex(a);
}

// The documented signed 32-bit element count (rows times columns), or -1 when it does not fit.
inline int64_t count32(const ArraySpec& a) {
  if (a.m > 2147483647ULL || a.n > 2147483647ULL) return -1;
  const uint64_t e = a.m * a.n;
  return e > 2147483647ULL ? -1 : int64_t(e);
}

// One fuzzer input as one call of the module: the header, then either the structured inputs of
// the target or raw arrays; judged, then the host emptied. A call that tooSlow rejects is not
// run and is kept out of the corpus.
template <class ReadStructured, class Judge>
int testOne(const uint8_t* data, size_t size, int maxIn, ReadStructured readStructured, Judge judge,
            bool (*tooSlow)(const Call&) = nullptr) {
  Reader in(data, size);
  Call c;
  readHeader(in, maxIn, &c);
  if (structured(c)) {
    readStructured(in, &c);
  } else {
    for (int k = 0; k < c.nIn; ++k) c.in.push_back(readArray(in));
  }
  if (tooSlow && tooSlow(c)) return -1;
  judge(c, run(c, mexFunction));
  hostlayer::reset();
  return 0;
}

}  // namespace fuzz

#endif
