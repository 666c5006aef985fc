#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "BandPass.h"

namespace zizovez {
namespace {

MeasurementState Designed() {
  MeasurementState s;
  DesignKernels(s);
  return s;
}

TEST(DesignKernels, ReferenceTaps) {
  const MeasurementState s = Designed();
  struct Case {
    const float* kernel;
    int tap;
    double value;
  } cases[] = {
      {s.CosKernel, 18, 0.539567}, {s.CosKernel, 17, 0.279922}, {s.CosKernel, 19, 0.284000},
      {s.SinKernel, 18, 0.0},      {s.SinKernel, 17, -0.378480}, {s.SinKernel, 19, 0.383994},
      {s.CosKernel, 0, 0.0},       {s.SinKernel, 0, 0.0},
  };
  for (const auto& c : cases) {
    EXPECT_NEAR(c.kernel[c.tap], c.value, 5e-7) << "tap " << c.tap;
  }
  for (int k = 0; k < KernelTaps; ++k) {
    EXPECT_LE(std::fabs(s.CosKernel[k]), s.CosKernel[18]) << "the centre tap is the largest";
  }
}

TEST(DesignKernels, MatchesClosedFormWithinSinglePrecision) {
  const MeasurementState s = Designed();
  const double pi2 = 6.283185307179586;
  for (int k = 0; k < KernelTaps; ++k) {
    const double w = 0.5 - 0.5 * std::cos(pi2 * k / 37);
    double c = 0, q = 0;
    for (int j = 1; j <= 10; ++j) {
      c += std::cos(pi2 * j * (k - 18) / 37);
      q += std::sin(pi2 * j * (k - 18) / 37);
    }
    EXPECT_NEAR(s.CosKernel[k], 2.0 / 37 * w * c, 4e-7) << "tap " << k;
    EXPECT_NEAR(s.SinKernel[k], 2.0 / 37 * w * q, 4e-7) << "tap " << k;
  }
}

TEST(BandPassMagnitude, ImpulseResponseLastsThirtySixFramesAndPeaksAtTheLag) {
  MeasurementState s = Designed();
  std::vector<float> m;
  m.push_back(BandPassMagnitude(s, 32767.0f / 32768.0f));
  for (int f = 1; f < 60; ++f) m.push_back(BandPassMagnitude(s, 0.0f));

  // Tap 0 is zero, so the impulse is seen from its own frame to the 35th after it.
  for (int f = 0; f <= 35; ++f) EXPECT_GT(m[f], 0.0f) << "frame " << f;
  for (int f = 36; f < 60; ++f) EXPECT_EQ(m[f], 0.0f) << "frame " << f;
  int peak = 0;
  for (int f = 1; f < 60; ++f)
    if (m[f] > m[peak]) peak = f;
  EXPECT_EQ(peak, DetectorLag);
  EXPECT_NEAR(m[18], 0.5396, 1e-4);
}

TEST(BandPassMagnitude, SilenceGivesExactlyZero) {
  MeasurementState s = Designed();
  for (int f = 0; f < 100; ++f) ASSERT_EQ(BandPassMagnitude(s, 0.0f), 0.0f);
}

TEST(BandPassMagnitude, SteadySineGains) {
  struct Case {
    double hz;
    double low;
    double high;
  } cases[] = {
      {1000.0, 0.9935, 0.997}, {298.0, 0.744, 0.754}, {2980.0, 0.744, 0.754}, {3500.0, 0.022, 0.032},
  };
  for (const auto& c : cases) {
    MeasurementState s = Designed();
    float lo = 10.0f, hi = 0.0f;
    for (int f = 0; f < 2000; ++f) {
      const float l = static_cast<float>(std::sin(6.283185307179586 * c.hz * f / SampleRate));
      const float m = BandPassMagnitude(s, l);
      if (f >= KernelTaps) {
        lo = std::min(lo, m);
        hi = std::max(hi, m);
      }
    }
    EXPECT_GE(lo, c.low) << c.hz << " Hz";
    EXPECT_LE(hi, c.high) << c.hz << " Hz";
  }
}

TEST(BandPassMagnitude, RingReturnsToItsStartAfterThirtySevenCalls) {
  MeasurementState s = Designed();
  s.HistoryPos = 5;
  for (int f = 0; f < KernelTaps; ++f) BandPassMagnitude(s, static_cast<float>(f + 1));
  EXPECT_EQ(s.HistoryPos, 5);
  for (int i = 0; i < KernelTaps; ++i) {
    // The oldest value (the first written) sits at HistoryPos.
    EXPECT_EQ(s.History[(5 + i) % KernelTaps], static_cast<float>(i + 1));
  }
}

// The block path computes many frames at once; it must give the very same
// bits and leave the ring exactly as frame-by-frame calls do.
TEST(BandPassMagnitudes, BatchEqualsFrameByFrame) {
  std::mt19937 random(7);
  std::uniform_int_distribution<int> raw(-32768, 32767);
  for (const int count : {1, 15, 16, 17, 36, 37, 38, 100, 1024}) {
    MeasurementState single = Designed();
    for (int f = 0; f < 11; ++f) BandPassMagnitude(single, raw(random) / 32768.0f);
    MeasurementState batch = single;

    std::vector<float> window(KernelTaps - 1 + count);
    LoadHistory(batch, window.data());
    std::vector<float> expected(count);
    for (int f = 0; f < count; ++f) {
      const float l = raw(random) / 32768.0f;
      window[KernelTaps - 1 + f] = l;
      expected[f] = BandPassMagnitude(single, l);
    }
    std::vector<float> got(count);
    BandPassMagnitudes(batch, window.data(), count, got.data());

    for (int f = 0; f < count; ++f) {
      ASSERT_EQ(got[f], expected[f]) << "count " << count << " frame " << f;
    }
    EXPECT_EQ(batch.HistoryPos, single.HistoryPos) << "count " << count;
    for (int i = 0; i < KernelTaps; ++i) {
      EXPECT_EQ(batch.History[i], single.History[i]) << "count " << count << " slot " << i;
    }
  }
}

// The detector's arithmetic written out plainly, tap by tap: products and
// sums exact and each partial sum rounded once to single precision (a fused
// multiply-add), the sum of squares and the root in double. Whatever vector
// instructions the build or the CPU picks must give these very bits.
TEST(BandPassMagnitudes, MatchThePlainArithmetic) {
  MeasurementState s = Designed();
  std::mt19937 random(11);
  std::uniform_int_distribution<int> raw(-32768, 32767);
  const int count = BlockFrames;
  std::vector<float> window(KernelTaps - 1 + count);
  LoadHistory(s, window.data());
  for (int f = 0; f < count; ++f) window[KernelTaps - 1 + f] = raw(random) / 32768.0f;
  std::vector<float> got(count);
  BandPassMagnitudes(s, window.data(), count, got.data());
  for (int f = 0; f < count; ++f) {
    float i = 0.0f, q = 0.0f;
    for (int t = 0; t < KernelTaps; ++t) {
      i = std::fma(window[f + t], s.CosKernel[t], i);
      q = std::fma(window[f + t], s.SinKernel[t], q);
    }
    const auto expected = static_cast<float>(std::sqrt(static_cast<double>(i) * i + static_cast<double>(q) * q));
    ASSERT_EQ(got[f], expected) << "frame " << f;
  }
}

}  // namespace
}  // namespace zizovez
