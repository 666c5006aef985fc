#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "BlockAnalyser.h"
#include "WindowHarness.h"

namespace zizovez {
namespace {

using test::IsBlack;
using test::IsRed;
using test::IsWhite;
using test::FrameStream;
using test::Window;

// The magnitudes the engine computes for `s` after the trigger at frame
// `trigger`, by SinceTrigger. One of StartTrace and TraceWidth comes per frame.
struct MagnitudeProbe final : MeasurementView {
  std::int64_t trigger = 0;
  std::int64_t frame = -1;
  std::map<std::int64_t, float> byN;
  void BeginTraceBlock() override {}
  void StartTrace(float, bool) override { ++frame; }
  std::int32_t TraceWidth() override {
    ++frame;
    return 511;
  }
  void ExtendTrace(std::int64_t n, float m) override {
    if (frame - n == trigger) byN[n] = m;
  }
  void ShowPulseStatistics(std::int32_t, double) override {}
  void ShowMeters(float, bool, bool) override {}
};

std::map<std::int64_t, float> EngineMagnitudes(const FrameStream& s, std::int64_t trigger) {
  MeasurementState state;
  PulseTrack track;
  DesignKernels(state);
  MagnitudeProbe probe;
  probe.trigger = trigger;
  for (std::size_t b = 0; b < s.Blocks(); ++b) {
    const auto block = s.Block(b);
    AnalyseBlock(state, track, probe, CaptureBlock(block.data(), BlockBytes));
  }
  return probe.byN;
}

TEST(Trace, FirstBlockPaintsTheGridAndABottomTrace) {
  Window w;
  w.Deliver(FrameStream(BlockFrames).Block(0));
  // Grid: red columns every 10 pixels from x = 10, none at x = 0.
  for (int x = 10; x < 511; x += 10) ASSERT_TRUE(IsRed(w.Pixel(x, 200))) << x;
  EXPECT_TRUE(IsWhite(w.Pixel(0, 200)));
  EXPECT_TRUE(IsWhite(w.Pixel(15, 200)));
  // Magnitude 0 is the bottom row; the trace ends at n = 69 (x = 510), whose
  // own point is not drawn, nor is the grid lines' last row.
  for (int x = 0; x < 510; ++x) ASSERT_TRUE(IsBlack(w.Pixel(x, 420))) << x;
  EXPECT_TRUE(IsWhite(w.Pixel(510, 420)));
  EXPECT_TRUE(IsRed(w.Pixel(510, 419)));
  EXPECT_TRUE(IsRed(w.Pixel(510, 0)));
}

TEST(Trace, PointsLieWhereMagnitudeAndGainPutThem) {
  for (const int position : {0, 2, 7}) {
    Window w;
    w.form->LGainBar->setValue(position);
    FrameStream s(2 * BlockFrames);
    s.Trigger(300);
    s.frames[300].left = 16384;  // peaks at n = 18, x = 0
    w.Play(s);
    const auto m = EngineMagnitudes(s, 300);
    const double gain = std::pow(10.0, position * 0.1);
    int checked = 0;
    for (std::int64_t n = 18; n < 40; ++n) {
      const int y = static_cast<int>(std::trunc(420 - gain * 372 * static_cast<double>(m.at(n))));
      if (y < 49) continue;  // behind the panel or above the window
      EXPECT_TRUE(IsBlack(w.Pixel(static_cast<int>(10 * n - 180), y))) << "n " << n << " gain " << position;
      ++checked;
    }
    EXPECT_GT(checked, 10);
  }
}

TEST(Trace, StoppedTriggersClearRunningOnesPileUp) {
  for (const bool running : {false, true}) {
    Window w;
    if (running) w.form->StartButton->click();
    FrameStream s(2 * BlockFrames);
    s.Trigger(200);
    s.frames[200].left = 30000;  // a tall first trace
    s.Trigger(700);
    s.frames[700].left = 6000;   // a low second one
    w.Play(s);
    const auto first = EngineMagnitudes(s, 200);
    const auto second = EngineMagnitudes(s, 700);
    const int firstPeak = static_cast<int>(420 - 372 * static_cast<double>(first.at(18)));
    const int secondPeak = static_cast<int>(420 - 372 * static_cast<double>(second.at(18)));
    EXPECT_TRUE(IsBlack(w.Pixel(0, secondPeak)));
    EXPECT_EQ(IsBlack(w.Pixel(0, firstPeak)), running) << (running ? "piled up" : "cleared");
  }
}

TEST(Trace, PanelsAreNeverDrawnOver) {
  Window w;
  w.Deliver(FrameStream(BlockFrames).Block(0));
  ASSERT_TRUE(IsRed(w.Pixel(10, 20))) << "the grid runs under the panel on the surface";
  const QImage shown = w.form->ClientArea->grab().toImage();
  EXPECT_FALSE(IsRed(shown.pixel(10, 20) | 0xFF000000u)) << "but the panel covers it";
  EXPECT_TRUE(IsRed(shown.pixel(10, 200) | 0xFF000000u));
}

TEST(Trace, HidingTheGainPanelRepaintsTheStripItUncovers) {
  Window w;
  w.form->LGainChkBox->click();
  w.Deliver(FrameStream(BlockFrames).Block(0));  // a bottom trace across the whole width, also under the panel
  ASSERT_TRUE(IsBlack(w.Pixel(470, 420)));
  w.form->LGainChkBox->click();
  w.Settle();
  EXPECT_TRUE(w.form->GainPanel->isHidden());
  EXPECT_TRUE(IsWhite(w.Pixel(475, 420))) << "trace lost in the uncovered strip";
  EXPECT_TRUE(IsRed(w.Pixel(480, 419))) << "grid back in the strip";
  EXPECT_TRUE(IsBlack(w.Pixel(400, 420))) << "the rest of the trace stays";
  EXPECT_EQ(w.form->LGainBar->value(), 0);
}

TEST(Trace, NarrowWindowEndsTheTraceAtItsWidth) {
  Window w;
  w.form->resize(300, w.form->height());
  w.Settle();
  ASSERT_EQ(w.form->ClientWidth(), 300);
  w.Deliver(FrameStream(BlockFrames).Block(0));
  EXPECT_TRUE(IsBlack(w.Pixel(289, 420))) << "n = 47 at x = 290 is the last point";
  EXPECT_TRUE(IsWhite(w.Pixel(290, 420)));
  EXPECT_TRUE(IsWhite(w.Pixel(295, 420)));
}

TEST(Trace, WideningPaintsTheGridInTheNewStrip) {
  Window w;
  w.Deliver(FrameStream(BlockFrames).Block(0));
  w.form->resize(620, w.form->height());
  w.Settle();
  ASSERT_EQ(w.form->ClientWidth(), 620);
  EXPECT_TRUE(IsRed(w.Pixel(600, 300)));
  EXPECT_TRUE(IsWhite(w.Pixel(605, 300)));
  EXPECT_TRUE(IsBlack(w.Pixel(300, 420))) << "what was drawn stays";
}

TEST(Trace, StartClearsTheWindow) {
  Window w;
  w.Deliver(FrameStream(BlockFrames).Block(0));
  ASSERT_TRUE(IsBlack(w.Pixel(5, 420)));
  w.form->StartButton->click();
  EXPECT_TRUE(IsWhite(w.Pixel(5, 420)));
  EXPECT_TRUE(IsRed(w.Pixel(10, 419)));
}

}  // namespace
}  // namespace zizovez
