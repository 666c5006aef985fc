#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "TriggerDetector.h"

namespace zizovez {
namespace {

struct Detector {
  MeasurementState state;
  PulseTrack track;

  bool Step(float r) { return DetectTrigger(state, track, r); }
  bool StepRaw(int raw) { return Step(raw / 32768.0f); }
};

TEST(DetectTrigger, FirstFrameIsDifferencedAgainstSilence) {
  Detector d;
  d.track.SinceTrigger = 9;
  EXPECT_TRUE(d.StepRaw(16384));
  EXPECT_EQ(d.state.TrigLevel, 0.5f);
  EXPECT_EQ(d.track.SinceTrigger, 0);
  EXPECT_EQ(d.track.PrevRight, 0.5f);
}

TEST(DetectTrigger, ConstantInputOnlyDecays) {
  for (const int constant : {0, 1000, -1000}) {
    Detector d;
    d.StepRaw(constant);
    d.track.SinceTrigger = 5;
    float level = d.state.TrigLevel;
    for (int f = 0; f < 1000; ++f) {
      ASSERT_FALSE(d.StepRaw(constant)) << constant;
      ASSERT_LE(d.state.TrigLevel, level);
      level = d.state.TrigLevel;
    }
    EXPECT_EQ(d.track.SinceTrigger, 5) << "the detector never counts, it only resets";
  }
}

TEST(DetectTrigger, FallingStepIsNoTrigger) {
  Detector d;
  d.StepRaw(16384);
  const float held = d.state.TrigLevel;
  d.track.SinceTrigger = 3;
  EXPECT_FALSE(d.StepRaw(-16384));  // d = -1.0
  EXPECT_EQ(d.state.TrigLevel, static_cast<float>(held * TrigDecay));
  EXPECT_EQ(d.track.SinceTrigger, 3);
}

// With 0.5 held after this frame's decay, a trigger needs more than 0.475.
TEST(DetectTrigger, TriggerWithinFivePercentOfHeldLevel) {
  struct Case {
    float difference;
    bool trigger;
  } cases[] = {{0.48f, true}, {0.47f, false}, {0.0f, false}, {0.6f, true}};
  for (const auto& c : cases) {
    Detector d;
    d.state.TrigLevel = static_cast<float>(0.5 / TrigDecay);
    // Make sure the decay lands on 0.5 exactly, as the case requires.
    while (static_cast<float>(d.state.TrigLevel * TrigDecay) > 0.5f)
      d.state.TrigLevel = std::nextafter(d.state.TrigLevel, 0.0f);
    while (static_cast<float>(d.state.TrigLevel * TrigDecay) < 0.5f)
      d.state.TrigLevel = std::nextafter(d.state.TrigLevel, 1.0f);
    d.track.PrevRight = 0.0f;
    d.track.SinceTrigger = 100;
    EXPECT_EQ(d.Step(c.difference), c.trigger) << c.difference;
    EXPECT_EQ(d.track.SinceTrigger, c.trigger ? 0 : 100) << c.difference;
    EXPECT_EQ(d.state.TrigLevel, std::max(0.5f, c.difference)) << c.difference;
  }
}

TEST(DetectTrigger, HalfSizePulseOneSecondLaterIsMissed) {
  Detector d;
  d.StepRaw(0);
  EXPECT_TRUE(d.StepRaw(32767));  // difference about 1.0
  d.StepRaw(0);                   // back down: not a trigger
  for (int f = 0; f < SampleRate - 2; ++f) ASSERT_FALSE(d.StepRaw(0));
  d.track.SinceTrigger = 77;
  EXPECT_FALSE(d.StepRaw(16384));  // 0.5 < 0.95 x 0.802
  EXPECT_NEAR(d.state.TrigLevel, 0.8021, 1e-3);
  EXPECT_EQ(d.track.SinceTrigger, 77);
}

TEST(DetectTrigger, LargestStepRaisesLevelToNearlyTwo) {
  Detector d;
  d.StepRaw(-32768);
  EXPECT_TRUE(d.StepRaw(32767));
  EXPECT_EQ(d.state.TrigLevel, 65535.0f / 32768.0f);
}

TEST(DetectTrigger, EachFrameOfASlowEdgeRestartsTheCount) {
  Detector d;
  for (const int raw : {0, 4000, 8000, 12000, 16000}) {
    d.track.SinceTrigger = 42;
    const bool trigger = d.StepRaw(raw);
    EXPECT_EQ(trigger, raw > 0) << raw;
  }
  EXPECT_EQ(d.track.SinceTrigger, 0);
}

}  // namespace
}  // namespace zizovez
