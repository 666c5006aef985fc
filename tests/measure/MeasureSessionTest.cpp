#include <gtest/gtest.h>

#include <cmath>

#include "DelayEstimator.h"
#include "FrameCodec.h"
#include "MeasureSession.h"
#include "Sinks.h"
#include "TestSignal.h"

namespace zizovez {
namespace {

using test::PulseList;

std::vector<PulseRecord> Measure(const std::vector<std::uint8_t>& bytes, std::size_t chunkFrames = BlockFrames,
                                 std::int32_t width = 511) {
  PulseList list;
  MeasureSession session(MeasureOptions{width, PulseFrames}, list);
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

}  // namespace
}  // namespace zizovez
