#include <gtest/gtest.h>

#include <cmath>

#include "DelayEstimator.h"
#include "FrameCodec.h"
#include "MeasureSession.h"
#include "PulseQuality.h"
#include "Sinks.h"
#include "TestSignal.h"

namespace zizovez {
namespace {

using test::PulseList;

std::vector<PulseRecord> Measure(const std::vector<std::uint8_t>& bytes, std::size_t chunkFrames = BlockFrames,
                                 std::int32_t width = 511, std::int64_t window = PulseFrames) {
  PulseList list;
  MeasureSession session(MeasureOptions{width, window}, list);
  const std::size_t chunk = chunkFrames * FrameBytes;
  for (std::size_t at = 0; at < bytes.size(); at += chunk) {
    session.Feed(std::span(bytes).subspan(at, std::min(chunk, bytes.size() - at)));
  }
  return list.pulses;
}

double FramesToMs(double frames) { return frames * 1000.0 / SampleRate; }

// Clicks put in at whole frames after the trigger are found at exactly that
// frame, with or without noise, across the whole measurable range.
TEST(MeasureSession, ReportsTheDelaysPutIn) {
  const std::vector<int> delayFrames = {-17, -9, 0, 1, 7, 11, 12, 27, 40, 41};
  struct Case {
    double noise;
  } cases[] = {{0.0}, {0.003}};
  for (const auto& c : cases) {
    TestSignalOptions o;
    o.DelaysMs.clear();
    for (const int f : delayFrames) o.DelaysMs.push_back(FramesToMs(f));
    o.Pulses = 30;
    o.IntervalMs = 97.0;  // not a whole number of blocks: triggers fall anywhere in a block
    o.NoiseRms = c.noise;
    const TestSignal signal = GenerateTestSignal(o);
    const auto pulses = Measure(SignalBytes(signal));
    ASSERT_EQ(pulses.size(), static_cast<std::size_t>(o.Pulses)) << "noise " << c.noise;
    double sum = 0.0;
    for (std::size_t p = 0; p < pulses.size(); ++p) {
      const int frames = delayFrames[p % delayFrames.size()];
      EXPECT_EQ(pulses[p].Pulse, static_cast<std::int32_t>(p + 1));
      EXPECT_EQ(pulses[p].TriggerFrame, signal.TriggerFrames[p]);
      EXPECT_EQ(pulses[p].PeakOffset, frames + DetectorLag) << "pulse " << p << " noise " << c.noise;
      EXPECT_DOUBLE_EQ(pulses[p].DelayMs, PulseDelayMs(frames + DetectorLag));
      EXPECT_GT(pulses[p].PeakMag, 0.1f);
      sum += pulses[p].DelayMs;
      EXPECT_NEAR(pulses[p].MeanMs, sum / static_cast<double>(p + 1), 1e-5);
    }
  }
}

TEST(MeasureSession, StartOfTheStreamIsNoTrigger) {
  struct Case {
    const char* what;
    std::int16_t right;  // constant level of the trigger channel
  } cases[] = {{"silence", 0}, {"trigger held high from the first frame", 16384}};
  for (const auto& c : cases) {
    std::vector<std::uint8_t> bytes(3 * BlockBytes);
    for (std::size_t f = 0; f < bytes.size() / FrameBytes; ++f) PutSample(&bytes[f * FrameBytes + 2], c.right);
    EXPECT_TRUE(Measure(bytes).empty()) << c.what;
  }
}

TEST(MeasureSession, PulseNeedsAllItsFramesBeforeTheEnd) {
  TestSignalOptions o;
  o.Pulses = 1;
  o.LeadMs = 10.0;
  const TestSignal signal = GenerateTestSignal(o);
  const std::int64_t trigger = signal.TriggerFrames[0];
  auto bytes = SignalBytes(signal);
  struct Case {
    std::int64_t framesAfterTrigger;
    std::size_t pulses;
  } cases[] = {{PulseFrames - 1, 0}, {PulseFrames, 1}, {PulseFrames + 100, 1}};
  for (const auto& c : cases) {
    const auto frames = static_cast<std::size_t>(trigger + c.framesAfterTrigger + 1);
    std::vector<std::uint8_t> cut(bytes.begin(), bytes.begin() + frames * FrameBytes);
    EXPECT_EQ(Measure(cut).size(), c.pulses) << c.framesAfterTrigger;
  }
}

TEST(MeasureSession, HowTheStreamIsCutDoesNotMatter) {
  TestSignalOptions o;
  o.DelaysMs = {0.3, 1.7, 2.9};
  o.Pulses = 12;
  o.IntervalMs = 61.0;
  o.NoiseRms = 0.01;
  const auto bytes = SignalBytes(GenerateTestSignal(o));
  const auto whole = Measure(bytes);
  EXPECT_EQ(whole.size(), 12u);
  for (const std::size_t chunk : {1u, 333u, 1023u, 5000u}) {
    EXPECT_EQ(Measure(bytes, chunk), whole) << chunk;
  }
}

TEST(MeasureSession, WidthBoundsTheSearchAsInTheWindow) {
  TestSignalOptions o;
  o.DelaysMs = {FramesToMs(33)};  // peak at n = 51, beyond 300 pixels
  o.Pulses = 3;
  const auto bytes = SignalBytes(GenerateTestSignal(o));
  for (const auto& p : Measure(bytes, BlockFrames, 300)) EXPECT_LE(p.PeakOffset, 47);
  for (const auto& p : Measure(bytes, BlockFrames, 511)) EXPECT_EQ(p.PeakOffset, 51);
}

// Delays between frames, with and without noise and a receiver-like audio
// chain: the fine delay is within a small part of a frame of what was put in.
TEST(MeasureSession, FineDelayFindsFractionalDelays) {
  std::vector<double> delays;
  for (int i = 0; i < 60; ++i) delays.push_back(-1.0 + 0.0713 * i);  // -1.0 .. 3.2 ms in uneven steps
  struct Case {
    double noise;
    bool bandPass;
    double tolerance;  // ms
  } cases[] = {{0.0, false, 0.001}, {0.003, false, 0.02}, {0.0, true, 0.001}};
  for (const auto& c : cases) {
    TestSignalOptions o;
    o.DelaysMs = delays;
    o.Pulses = 60;
    o.IntervalMs = 90.0;
    o.NoiseRms = c.noise;
    o.BandPass = c.bandPass;
    const auto pulses = Measure(SignalBytes(GenerateTestSignal(o)));
    ASSERT_EQ(pulses.size(), 60u);
    // The band-pass delays everything by its own group delay: compare with
    // the mean offset taken out.
    double offset = 0.0;
    if (c.bandPass) {
      for (std::size_t p = 0; p < pulses.size(); ++p) offset += pulses[p].DelayFineMs - delays[p];
      offset /= static_cast<double>(pulses.size());
      EXPECT_GT(offset, 0.05) << "a receiver's audio chain adds delay";
    }
    for (std::size_t p = 0; p < pulses.size(); ++p) {
      EXPECT_NEAR(pulses[p].DelayFineMs - offset, delays[p], c.tolerance) << p << " noise " << c.noise;
      EXPECT_NEAR(pulses[p].DelayMs, pulses[p].DelayFineMs, 0.5 * 1000.0 / SampleRate + 1e-9);
      EXPECT_EQ(pulses[p].Flag, PulseFlag::Ok) << p;
    }
  }
}

TEST(MeasureSession, FlagsSilentWeakAndEdgePulses) {
  struct Case {
    const char* what;
    double delayMs;
    double amplitude;
    double noise;
    PulseFlag flag;
  } cases[] = {
      {"clear", 1.0, 0.5, 0.001, PulseFlag::Ok},
      {"no audio", 1.0, 0.0, 0.0, PulseFlag::Silent},
      {"click lost in noise", 1.0, 0.01, 0.02, PulseFlag::Weak},
      {"peak on the last frame", FramesToMs(41), 0.5, 0.0, PulseFlag::Edge},
      {"beyond the search", 6.0, 0.5, 0.0, PulseFlag::Edge},
  };
  for (const auto& c : cases) {
    TestSignalOptions o;
    o.DelaysMs = {c.delayMs};
    o.ClickAmplitude = c.amplitude;
    o.NoiseRms = c.noise;
    o.Pulses = 8;
    const auto pulses = Measure(SignalBytes(GenerateTestSignal(o)));
    ASSERT_EQ(pulses.size(), 8u) << c.what;
    for (const auto& p : pulses) EXPECT_EQ(p.Flag, c.flag) << c.what << " pulse " << p.Pulse;
    if (c.flag == PulseFlag::Silent) EXPECT_NEAR(pulses[0].DelayMs, -1.632653, 1e-6);
  }
}

TEST(MeasureSession, LongWindowsMeasureSlowReceivers) {
  struct Case {
    double delayMs;
    std::int64_t window;
  } cases[] = {{50.0, 600}, {500.0, 6000}, {500.0, 11025}};
  for (const auto& c : cases) {
    TestSignalOptions o;
    o.DelaysMs = {c.delayMs};
    o.Pulses = 4;
    o.IntervalMs = 1200.0;
    const auto pulses = Measure(SignalBytes(GenerateTestSignal(o)), BlockFrames, INT32_MAX, c.window);
    ASSERT_EQ(pulses.size(), 4u) << c.delayMs;
    for (const auto& p : pulses) {
      EXPECT_NEAR(p.DelayMs, c.delayMs, 0.5 * 1000.0 / SampleRate) << c.delayMs;
      EXPECT_NEAR(p.DelayFineMs, c.delayMs, 0.001) << c.delayMs;
      EXPECT_EQ(p.Flag, PulseFlag::Ok);
    }
  }
}

TEST(MeasureSession, TriggersCloserThanTheWindowCancelTheEarlierPulse) {
  TestSignalOptions o;
  o.DelaysMs = {50.0};
  o.Pulses = 5;
  o.IntervalMs = 100.0;  // 1103 frames apart
  const auto bytes = SignalBytes(GenerateTestSignal(o));
  EXPECT_EQ(Measure(bytes, BlockFrames, INT32_MAX, 1000).size(), 5u);
  const auto cancelled = Measure(bytes, BlockFrames, INT32_MAX, 1200);
  ASSERT_EQ(cancelled.size(), 1u) << "only the last trigger's pulse";
  EXPECT_EQ(cancelled[0].TriggerFrame, GenerateTestSignal(o).TriggerFrames.back());
}

}  // namespace
}  // namespace zizovez
