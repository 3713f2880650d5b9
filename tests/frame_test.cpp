// The shared frame: number conversion, the version export, and the host layer's own checks that
// the module tests rely on.
#include "frame.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "hostlayer.h"
#include "mexversion.h"

using frame::truncToInt32;

TEST(TruncToInt32, TruncatesTowardZeroAndMapsEverythingElseToMin) {
  const int32_t lo = std::numeric_limits<int32_t>::min();
  const struct {
    double in;
    int32_t out;
  } cases[] = {
      {2.9, 2},
      {-0.5, 0},
      {-1.5, -1},
      {-0.0, 0},
      {2147483647.0, 2147483647},
      {2147483647.9, 2147483647},
      {2147483648.0, lo},
      {-2147483648.0, lo},
      {-2147483648.9, lo},
      {-2147483649.0, lo},
      {1e300, lo},
      {std::numeric_limits<double>::infinity(), lo},
      {-std::numeric_limits<double>::infinity(), lo},
      {std::nan(""), lo},
  };
  for (const auto& c : cases) EXPECT_EQ(truncToInt32(c.in), c.out) << c.in;
}

TEST(MexVersion, SamePointerToTheSameTextOnEveryCall) {
  const char* first = mexVersion();
  EXPECT_STREQ(first, "MATLAB R14 native");
  EXPECT_EQ(mexVersion(), first);
}

namespace {
void writesSlot(int slot, mxArray* out[]) { out[slot] = mxCreateDoubleMatrix(1, 1, mxREAL); }
void writesSlot0(int, mxArray* out[], int, const mxArray*[]) { writesSlot(0, out); }
void writesSlot1(int, mxArray* out[], int, const mxArray*[]) { writesSlot(1, out); }
void fails(int, mxArray*[], int, const mxArray*[]) { mexErrMsgTxt("failed here"); }
void createsTwo(int, mxArray* out[], int, const mxArray*[]) {
  out[0] = mxCreateDoubleMatrix(2, 2, mxREAL);
  if (!mxCreateSparse(2, 2, 1, mxREAL)) mexErrMsgTxt("second failed");
}
}  // namespace

class Layer : public ::testing::Test {
 protected:
  void SetUp() override { hostlayer::reset(); }
  void TearDown() override { hostlayer::reset(); }
};

TEST_F(Layer, OffersMaxOfNOutAndOneSlotsAndCatchesWritesBeyond) {
  EXPECT_NO_THROW(hostlayer::call(writesSlot0, 0, {}));
  EXPECT_THROW(hostlayer::call(writesSlot1, 0, {}), hostlayer::LayerFault);
  EXPECT_THROW(hostlayer::call(writesSlot1, 1, {}), hostlayer::LayerFault);
  auto r = hostlayer::call(writesSlot1, 2, {});
  ASSERT_EQ(r.out.size(), 2u);
  EXPECT_EQ(r.out[0], nullptr);
  EXPECT_NE(r.out[1], nullptr);
}

TEST_F(Layer, ErrorTextReachesTheCaller) {
  auto r = hostlayer::call(fails, 1, {});
  EXPECT_TRUE(r.failed);
  EXPECT_EQ(r.error, "failed here");
}

TEST_F(Layer, InjectedFailureHitsTheKthCreation) {
  hostlayer::failCreation(2);
  auto r = hostlayer::call(createsTwo, 1, {});
  EXPECT_EQ(r.error, "second failed");
  EXPECT_NE(r.out[0], nullptr);
  EXPECT_EQ(hostlayer::creationCount(), 2);
  // The failure is used up.
  EXPECT_FALSE(hostlayer::call(createsTwo, 1, {}).failed);
}

TEST_F(Layer, CreatedArraysAreZeroFilledAndSparseHasRoomForOne) {
  mxArray* d = mxCreateDoubleMatrix(2, 3, mxCOMPLEX);
  ASSERT_NE(d, nullptr);
  for (int k = 0; k < 6; ++k) EXPECT_EQ(mxGetPr(d)[k], 0.0);
  EXPECT_NE(mxGetPi(d), nullptr);
  mxArray* s = mxCreateSparse(3, 2, 0, mxREAL);
  EXPECT_EQ(mxGetNzmax(s), mwSize(1));
  EXPECT_EQ(hostlayer::jcOf(s), (std::vector<int64_t>{0, 0, 0}));
  EXPECT_EQ(mxGetPi(s), nullptr);
  EXPECT_EQ(mxGetData(mxCreateDoubleMatrix(0, 3, mxREAL)), nullptr);
}

TEST_F(Layer, RefusesStorageItNeverGaveAndNegativeSizes) {
  double local[2];
  mxArray* a = mxCreateDoubleMatrix(1, 1, mxREAL);
  EXPECT_THROW(mxSetData(a, local), hostlayer::LayerFault);
  EXPECT_THROW(mxRealloc(local, 8), hostlayer::LayerFault);
  if (std::numeric_limits<mwSize>::is_signed) {
    EXPECT_EQ(mxCreateDoubleMatrix(static_cast<mwSize>(-1), 1, mxREAL), nullptr);
  }
}

TEST_F(Layer, ReallocKeepsContentsAndResizeToNothingFrees) {
  mxArray* a = mxCreateNumericMatrix(4, 1, mxUINT32_CLASS, mxREAL);
  auto* p = static_cast<uint32_t*>(mxGetData(a));
  p[0] = 7;
  p[1] = 9;
  void* q = mxRealloc(p, 8);
  ASSERT_NE(q, nullptr);
  EXPECT_EQ(static_cast<uint32_t*>(q)[1], 9u);
  EXPECT_EQ(hostlayer::lastReallocBytes(), 8);
  EXPECT_EQ(mxRealloc(q, 0), nullptr);
}
