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

inline mxArray* emptyDouble(size_t m = 0, size_t n = 0) { return hostlayer::makeDouble(m, n, {}); }

#endif
