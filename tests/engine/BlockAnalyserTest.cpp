#include <gtest/gtest.h>

#include <climits>

#include "BandPass.h"
#include "BlockAnalyser.h"
#include "Blocks.h"
#include "DelayEstimator.h"
#include "FrameCodec.h"
#include "RecordingView.h"

namespace zizovez {
namespace {

using test::FrameStream;
using test::RecordingView;
using test::ViewCall;

struct Engine {
  MeasurementState state;
  PulseTrack track;
  RecordingView view;

  Engine() { DesignKernels(state); }

  // Measuring, with the program's start (which counts as a trace start) long past.
  void StartRunning() {
    state.Running = true;
    track.SinceTrigger = PulseFrames + 1;
  }

  void Run(const FrameStream& stream, std::size_t firstBlock = 0) {
    for (std::size_t b = firstBlock; b < stream.Blocks(); ++b) RunBlock(stream, b);
  }
  void RunBlock(const FrameStream& stream, std::size_t b) {
    const auto bytes = stream.Block(b);
    AnalyseBlock(state, track, view, CaptureBlock(bytes));
  }
};

// A left impulse whose magnitude peaks at SinceTrigger = n after the trigger at `trigger`.
void PeakAt(FrameStream& s, std::size_t trigger, int n, std::int16_t amplitude = 20000) {
  s.frames[trigger + n - DetectorLag].left = amplitude;
}

TEST(AnalyseBlock, SilentFirstBlockStartsATraceAndShowsEmptyMeters) {
  Engine e;
  e.Run(FrameStream(BlockFrames));
  const auto& calls = e.view.calls;
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.front().kind, ViewCall::Begin);
  EXPECT_EQ(calls.back().kind, ViewCall::Meters);
  EXPECT_EQ(calls.back().magnitude, 0.0f);
  EXPECT_FALSE(calls.back().flag);
  EXPECT_FALSE(calls.back().flag2);

  const auto starts = e.view.Only(ViewCall::Start);
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_EQ(calls[1].kind, ViewCall::Start) << "frame 0 starts the trace";
  EXPECT_TRUE(starts[0].flag) << "not running: clear first";
  EXPECT_EQ(starts[0].magnitude, 0.0f);
  EXPECT_EQ(e.view.Only(ViewCall::Width).size(), BlockFrames - 1u);
  const auto extends = e.view.Only(ViewCall::Extend);
  ASSERT_EQ(extends.size(), 69u) << "n = 1..69 lie inside 511 pixels";
  for (std::size_t i = 0; i < extends.size(); ++i) {
    EXPECT_EQ(extends[i].n, static_cast<std::int64_t>(i + 1));
    EXPECT_EQ(extends[i].magnitude, 0.0f);
  }
  EXPECT_TRUE(e.view.Only(ViewCall::Statistics).empty());
}

TEST(AnalyseBlock, OverloadIsStrictlyBeyondPointNineNineAndLastsOneBlock) {
  struct Case {
    std::int16_t raw;
    bool overload;
  } cases[] = {{32440, false}, {32441, true}, {-32440, false}, {-32441, true}, {-32768, true}, {32767, true}};
  for (const auto& c : cases) {
    for (const bool right : {true, false}) {
      Engine e;
      FrameStream s(2 * BlockFrames);
      (right ? s.frames[500].right : s.frames[500].left) = c.raw;
      e.Run(s);
      const auto meters = e.view.Only(ViewCall::Meters);
      ASSERT_EQ(meters.size(), 2u);
      EXPECT_EQ(meters[0].flag, right && c.overload) << c.raw;
      EXPECT_EQ(meters[0].flag2, !right && c.overload) << c.raw;
      EXPECT_FALSE(meters[1].flag || meters[1].flag2) << "the next block starts clear";
    }
  }
}

TEST(AnalyseBlock, ProgramStartCountsAsATraceStartAndCanYieldAPulse) {
  Engine e;
  e.state.Running = true;
  e.Run(FrameStream(BlockFrames));
  const auto starts = e.view.Only(ViewCall::Start);
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_FALSE(starts[0].flag) << "running: no clearing";
  const auto shown = e.view.Only(ViewCall::Statistics);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_NEAR(shown[0].mean, -1.632653, 5e-6) << "silent audio: the peak stays at frame 0";
}

TEST(AnalyseBlock, TriggerNearBlockEndIsRecordedInTheNextBlock) {
  Engine e;
  e.StartRunning();
  FrameStream s(2 * BlockFrames);
  s.Trigger(1000);
  PeakAt(s, 1000, 30);
  e.RunBlock(s, 0);
  auto extends = e.view.Only(ViewCall::Extend);
  EXPECT_EQ(extends.back().n, 23) << "n = 1..23 lie in the first block";
  EXPECT_TRUE(e.view.Only(ViewCall::Statistics).empty());

  e.view.calls.clear();
  e.RunBlock(s, 1);
  std::size_t framesBefore = 0;
  for (const auto& c : e.view.calls) {
    if (c.kind == ViewCall::Statistics) break;
    if (c.kind == ViewCall::Start || c.kind == ViewCall::Width) ++framesBefore;
  }
  EXPECT_EQ(framesBefore, 36u) << "recorded at the end of frame 35 of the next block";
  extends = e.view.Only(ViewCall::Extend);
  EXPECT_EQ(extends.front().n, 24);
  const auto shown = e.view.Only(ViewCall::Statistics);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].n, 1);
  EXPECT_NEAR(shown[0].mean, 1.088, 5e-4);
}

TEST(AnalyseBlock, TriggerInLastFrameStartsTheTraceThatTheNextBlockExtends) {
  Engine e;
  FrameStream s(2 * BlockFrames);
  s.Trigger(BlockFrames - 1);
  e.RunBlock(s, 0);
  e.view.calls.clear();
  e.RunBlock(s, 1);
  EXPECT_TRUE(e.view.Only(ViewCall::Start).empty());
  EXPECT_EQ(e.view.Only(ViewCall::Extend).front().n, 1);
}

TEST(AnalyseBlock, TriggersUnderSixtyFramesApartYieldOnlyTheSecond) {
  Engine e;
  e.StartRunning();
  FrameStream s(BlockFrames);
  s.Trigger(100);
  s.Trigger(140);
  PeakAt(s, 100, 20, 30000);  // belongs to the cancelled pulse
  PeakAt(s, 140, 40);
  e.Run(s);
  const auto shown = e.view.Only(ViewCall::Statistics);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].n, 1);
  EXPECT_DOUBLE_EQ(shown[0].mean, static_cast<float>(PulseDelayMs(40)));
}

// A frame takes part in the peak search only while its trace point is inside the width.
TEST(AnalyseBlock, WidthBoundsThePeakSearch) {
  struct Case {
    std::int32_t width;
    std::int64_t lastSearched;
  } cases[] = {{511, 59}, {411, 59}, {410, 58}, {300, 47}, {0, 17}, {-200, 0}};
  for (const auto& c : cases) {
    Engine e;
    e.view.width = c.width;
    e.StartRunning();
    FrameStream s(BlockFrames);
    s.Trigger(200);
    if (c.lastSearched >= 1) PeakAt(s, 200, static_cast<int>(c.lastSearched), 8000);
    if (c.lastSearched < 59) PeakAt(s, 200, static_cast<int>(c.lastSearched) + 1, 30000);
    e.Run(s);
    const auto shown = e.view.Only(ViewCall::Statistics);
    ASSERT_EQ(shown.size(), 1u) << c.width;
    const std::int32_t expectedPeak = static_cast<std::int32_t>(c.lastSearched);
    EXPECT_DOUBLE_EQ(shown[0].mean, static_cast<float>(PulseDelayMs(expectedPeak))) << c.width;
    std::int64_t lastExtended = 0;
    for (const auto& x : e.view.Only(ViewCall::Extend)) lastExtended = std::max(lastExtended, x.n);
    if (c.width <= -170) {
      EXPECT_EQ(lastExtended, 0) << "no point lies inside";
    } else {
      EXPECT_LT(10 * lastExtended - 180, c.width) << c.width;
      EXPECT_GE(10 * (lastExtended + 1) - 180, c.width) << c.width;
    }
  }
}

TEST(AnalyseBlock, PulseDelaysFromThePeakFrame) {
  struct Case {
    int peak;  // 0: silent audio
    double ms;
  } cases[] = {{30, 1.088435}, {18, 0.0}, {0, -1.632653}, {1, -1.541950}, {59, 3.718821}};
  for (const auto& c : cases) {
    Engine e;
    e.StartRunning();
    FrameStream s(BlockFrames);
    s.Trigger(300);
    if (c.peak > 0) PeakAt(s, 300, c.peak);
    e.Run(s);
    const auto shown = e.view.Only(ViewCall::Statistics);
    ASSERT_EQ(shown.size(), 1u) << c.peak;
    EXPECT_NEAR(shown[0].mean, c.ms, 5e-6) << c.peak;
    EXPECT_EQ(e.track.PeakPos, c.peak);
  }
}

TEST(AnalyseBlock, RunningIsReadWhenThePulseCompletes) {
  struct Case {
    bool runningAtTrigger;
    bool runningAtEnd;
    bool recorded;
  } cases[] = {{false, false, false}, {false, true, true}, {true, false, false}, {true, true, true}};
  for (const auto& c : cases) {
    Engine e;
    FrameStream s(2 * BlockFrames);
    s.Trigger(1010);
    PeakAt(s, 1010, 25);
    e.track.SinceTrigger = PulseFrames + 1;
    e.state.Running = c.runningAtTrigger;
    e.RunBlock(s, 0);
    e.state.Running = c.runningAtEnd;
    e.RunBlock(s, 1);
    EXPECT_EQ(e.view.Only(ViewCall::Statistics).size(), c.recorded ? 1u : 0u);
    EXPECT_EQ(e.track.PeakPos, 25) << "the peak search runs either way";
  }
}

TEST(AnalyseBlock, TracesClearOnlyWhileStopped) {
  for (const bool running : {false, true}) {
    Engine e;
    e.state.Running = running;
    FrameStream s(BlockFrames);
    s.Trigger(100);
    s.Trigger(101 + 20);  // a second edge right after the first
    e.Run(s);
    for (const auto& start : e.view.Only(ViewCall::Start)) EXPECT_EQ(start.flag, !running);
  }
}

TEST(AnalyseBlock, SinceTriggerGoesPastThirtyOneBitsWithoutWrapping) {
  Engine e;
  const std::int64_t before = INT32_MAX - 10;
  e.track.SinceTrigger = before;
  e.Run(FrameStream(BlockFrames));
  EXPECT_EQ(e.track.SinceTrigger, before + BlockFrames);
  EXPECT_TRUE(e.view.Only(ViewCall::Extend).empty()) << "far right of any window";
  EXPECT_TRUE(e.view.Only(ViewCall::Start).empty());
  EXPECT_EQ(e.view.Only(ViewCall::Width).size(), static_cast<std::size_t>(BlockFrames));
}

TEST(AnalyseFrames, BlocksOfAnySizeGiveTheSameResult) {
  FrameStream s(3 * BlockFrames);
  for (std::size_t t = 50; t + 100 < s.frames.size(); t += 211) {
    s.Trigger(t);
    PeakAt(s, t, 18 + static_cast<int>(t % 30));
  }
  const auto run = [&](std::size_t chunk) {
    Engine e;
    e.StartRunning();
    std::vector<std::uint8_t> bytes;
    for (std::size_t b = 0; b < 3; ++b) {
      const auto block = s.Block(b);
      bytes.insert(bytes.end(), block.begin(), block.end());
    }
    for (std::size_t at = 0; at < bytes.size(); at += chunk * FrameBytes) {
      const std::size_t size = std::min(chunk * FrameBytes, bytes.size() - at);
      AnalyseFrames(e.state, e.track, e.view, std::span(bytes).subspan(at, size));
    }
    std::vector<double> means;
    for (const auto& c : e.view.Only(ViewCall::Statistics)) means.push_back(c.mean);
    return means;
  };
  const auto whole = run(BlockFrames);
  EXPECT_EQ(whole.size(), 14u);
  for (const std::size_t chunk : {1u, 7u, 100u, 1000u}) EXPECT_EQ(run(chunk), whole) << chunk;
}

// What the command-line measurer asks beyond the window.
TEST(AnalyseFrames, OptionsSetTheSearchLengthAndHandOutTheMagnitudes) {
  Engine e;
  e.StartRunning();
  e.view.width = INT32_MAX;
  FrameStream s(2 * BlockFrames);
  s.Trigger(100);
  PeakAt(s, 100, 400);  // far beyond the window's 59 frames
  std::vector<float> magnitudes(BlockFrames);
  AnalysisOptions options;
  options.SearchFrames = 500;
  options.Magnitudes = magnitudes.data();
  MeasurementState reference = e.state;
  for (std::size_t b = 0; b < 2; ++b) {
    const auto block = s.Block(b);
    AnalyseFrames(e.state, e.track, e.view, block, options);
    for (int f = 0; f < BlockFrames; ++f) {
      const float l = SampleValue(s.frames[b * BlockFrames + f].left);
      ASSERT_EQ(magnitudes[f], BandPassMagnitude(reference, l)) << b << " " << f;
    }
  }
  const auto shown = e.view.Only(ViewCall::Statistics);
  ASSERT_EQ(shown.size(), 1u) << "recorded once, 500 frames after the trigger";
  EXPECT_EQ(e.track.PeakPos, 400);
  EXPECT_DOUBLE_EQ(shown[0].mean, static_cast<float>(PulseDelayMs(400)));
}

}  // namespace
}  // namespace zizovez
