// Helpers shared by the gateway tests.
#ifndef TESTS_TESTUTIL_H
#define TESTS_TESTUTIL_H

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hostlayer.h"

// Each test starts and ends with an empty host.
class HostTest : public ::testing::Test {
 protected:
  void SetUp() override { hostlayer::reset(); }
  void TearDown() override { hostlayer::reset(); }
};

inline hostlayer::CallResult callModule(int nOut, const std::vector<const mxArray*>& in) {
  return hostlayer::call(mexFunction, nOut, in);
}

// The call ended with exactly this text.
inline ::testing::AssertionResult failsWith(const hostlayer::CallResult& r,
                                            const std::string& text) {
  if (!r.failed) return ::testing::AssertionFailure() << "the call succeeded";
  if (r.error != text)
    return ::testing::AssertionFailure()
           << "error \"" << r.error << "\", expected \"" << text << "\"";
  return ::testing::AssertionSuccess();
}

inline ::testing::AssertionResult succeeds(const hostlayer::CallResult& r) {
  if (r.failed) return ::testing::AssertionFailure() << "error \"" << r.error << "\"";
  return ::testing::AssertionSuccess();
}

// A call that must end with exactly this text, having created `creations` arrays before it.
struct ErrorCase {
  const char* name;
  int nOut;
  std::vector<const mxArray*> in;
  const char* text;
  int creations = 0;
};

// Runs a table of refused calls; the inputs of every case stay alive across the table.
inline void expectErrors(const std::vector<ErrorCase>& cases) {
  for (const auto& c : cases) {
    hostlayer::clearCounters();
    auto r = callModule(c.nOut, c.in);
    EXPECT_TRUE(failsWith(r, c.text)) << c.name;
    EXPECT_EQ(hostlayer::creationCount(), c.creations) << c.name;
    if (c.creations == 0) {
      EXPECT_EQ(r.out[0], nullptr) << c.name;
    }
  }
}

inline mxArray* emptyDouble(size_t m = 0, size_t n = 0) { return hostlayer::makeDouble(m, n, {}); }

#endif
