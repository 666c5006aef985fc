#include <gtest/gtest.h>

#include "DelayEstimator.h"
#include "RecordingView.h"

namespace zizovez {
namespace {

using test::RecordingView;
using test::ViewCall;

TEST(TrackPeak, StrictComparisonKeepsTheEarlierFrame) {
  PulseTrack t;
  ResetPeak(t);
  struct Step {
    std::int64_t n;
    float m;
  } steps[] = {{3, 0.0f}, {20, 0.7f}, {22, 0.5f}, {25, 0.7f}, {30, 0.69f}};
  for (const auto& s : steps) TrackPeak(t, s.n, s.m);
  EXPECT_EQ(t.PeakPos, 20);
  EXPECT_EQ(t.PeakMag, 0.7f);
}

TEST(TrackPeak, ZeroMagnitudeNeverBecomesThePeak) {
  PulseTrack t;
  t.PeakPos = 9;
  t.PeakMag = 1.0f;
  ResetPeak(t);
  for (std::int64_t n = 1; n <= 59; ++n) TrackPeak(t, n, 0.0f);
  EXPECT_EQ(t.PeakPos, 0);
  EXPECT_EQ(PulseDelayMs(t.PeakPos), -18 * 1000.0 / 11025.0);
}

TEST(PulseDelayMs, OneFrameIsAboutNinetyMicroseconds) {
  struct Case {
    std::int32_t peak;
    double ms;
  } cases[] = {{18, 0.0}, {30, 1.088435}, {29, 0.997732}, {0, -1.632653}, {1, -1.541950}, {59, 3.718821}};
  for (const auto& c : cases) EXPECT_NEAR(PulseDelayMs(c.peak), c.ms, 5e-7) << c.peak;
}

TEST(RecordPulse, CountsSumsInSinglePrecisionAndShowsTheMean) {
  MeasurementState s;
  PulseTrack t;
  RecordingView view;
  for (const std::int32_t peak : {18, 29}) {
    t.PeakPos = peak;
    RecordPulse(s, t, view);
  }
  const auto shown = view.Only(ViewCall::Statistics);
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].n, 1);
  EXPECT_EQ(shown[0].mean, 0.0);
  EXPECT_EQ(shown[1].n, 2);
  EXPECT_NEAR(shown[1].mean, 0.499, 5e-4);
  EXPECT_EQ(s.DelaySum, static_cast<float>(PulseDelayMs(29)));
  EXPECT_EQ(shown[1].mean, static_cast<double>(s.DelaySum) / 2);
}

}  // namespace
}  // namespace zizovez
