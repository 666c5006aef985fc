#include <gtest/gtest.h>

#include <QTextBrowser>

#include "DelayText.h"
#include "WindowHarness.h"

namespace zizovez {
namespace {

using test::FrameStream;
using test::Window;

TEST(Meters, GaugeShowsTheTriggerLevelTruncatedAndLampsFollowEachBlock) {
  Window w;
  FrameStream s(3 * BlockFrames);
  s.Trigger(100);
  s.frames[BlockFrames + 499].right = -32768;  // the largest step, across full scale, in block 1
  s.frames[BlockFrames + 500].right = 32767;
  s.frames[2 * BlockFrames + 7].left = -32768;  // audio at full scale in block 2
  w.Deliver(s.Block(0));
  EXPECT_EQ(w.form->LevelGauge->Progress(), static_cast<int>(100 * static_cast<double>(w.form->Measurement.TrigLevel)));
  EXPECT_EQ(w.form->LevelGauge->Progress(), 49) << "0.5, decayed over the block";
  EXPECT_EQ(w.form->RClipLt->BrushColor(), QColor(Qt::white));
  w.Deliver(s.Block(1));
  EXPECT_EQ(w.form->RClipLt->BrushColor(), QColor(Qt::red));
  EXPECT_EQ(w.form->LClipLt->BrushColor(), QColor(Qt::white));
  w.Deliver(s.Block(2));
  EXPECT_EQ(w.form->RClipLt->BrushColor(), QColor(Qt::white)) << "white again after a block without";
  EXPECT_EQ(w.form->LClipLt->BrushColor(), QColor(Qt::red));
  EXPECT_EQ(w.form->LevelGauge->Progress(), 100) << "a level near 2 shows as a full bar";
}

TEST(Gauge, ClampsAndRedrawsOnlyWhenThePercentageChanges) {
  TCGauge gauge;
  gauge.resize(100, 20);
  gauge.show();
  Window::Settle();
  struct Case {
    int set;
    int stored;
  } cases[] = {{50, 50}, {150, 100}, {-5, 0}, {99, 99}};
  for (const auto& c : cases) {
    gauge.SetProgress(c.set);
    EXPECT_EQ(gauge.Progress(), c.stored) << c.set;
    EXPECT_EQ(gauge.PercentDone(), c.stored) << c.set;
  }
  Window::Settle();
  const int redraws = gauge.Redraws();
  gauge.SetProgress(99);
  Window::Settle();
  EXPECT_EQ(gauge.Redraws(), redraws) << "same percentage: no redraw";
  gauge.SetProgress(42);
  Window::Settle();
  EXPECT_EQ(gauge.Redraws(), redraws + 1);
}

TEST(ResultLabels, APulseShowsCountAndMeanAndTheLabelsGrowToTheRight) {
  Window w;
  w.Deliver(FrameStream(BlockFrames).Block(0));  // the program's start, long past
  w.form->StartButton->click();
  const QPoint pulsesAt = w.form->PulsesLbl->pos();
  const QPoint delayAt = w.form->DelayLbl->pos();
  const int delayWidth = w.form->DelayLbl->width();
  FrameStream s(2 * BlockFrames);
  s.Trigger(300);
  s.frames[312].left = 20000;  // peaks at n = 30: 12 frames, 1.088 ms
  w.Play(s);
  EXPECT_EQ(w.form->PulsesLbl->text(), "1 pulses");
  EXPECT_EQ(w.form->DelayLbl->text(), "Delay: 1.09");
  EXPECT_EQ(w.form->PulsesLbl->pos(), pulsesAt);
  EXPECT_EQ(w.form->DelayLbl->pos(), delayAt);
  EXPECT_GT(w.form->DelayLbl->width(), delayWidth);
}

TEST(DelayText, PictureWithTwoDecimals) {
  struct Case {
    double value;
    const char* text;
  } cases[] = {
      {1.088, "1.09"},   {-1.633, "-1.63"}, {0.0049, "0.00"}, {-0.0049, "0.00"}, {0.005, "0.01"},
      {-0.005, "-0.01"}, {0.125, "0.13"},   {-0.125, "-0.13"}, {0.0, "0.00"},    {12.3456, "12.35"},
      {1234.5, "1234.50"}, {3.718821, "3.72"}, {99.995, "100.00"}, {1e-300, "0.00"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatTwoDecimals(c.value, "."), c.text) << c.value;
  EXPECT_EQ(FormatTwoDecimals(1.088, ","), "1,09");
}

TEST(StartStop, StartClearsStatisticsStopKeepsThem) {
  Window w;
  TDelayForm& f = *w.form;
  EXPECT_EQ(f.Measurement.PulseCount, 0) << "zero before the first Start";
  f.Measurement.PulseCount = 5;
  f.Measurement.DelaySum = 2.5f;
  f.PulsesLbl->SetCaption("5 pulses");
  f.StartButton->click();
  EXPECT_TRUE(f.Measurement.Running);
  EXPECT_EQ(f.StartButton->text(), "Stop!");
  EXPECT_EQ(f.Measurement.PulseCount, 0);
  EXPECT_EQ(f.Measurement.DelaySum, 0.0f);
  EXPECT_EQ(f.PulsesLbl->text(), "5 pulses") << "labels wait for the next pulse";
  f.Measurement.PulseCount = 3;
  f.StartButton->click();
  EXPECT_FALSE(f.Measurement.Running);
  EXPECT_EQ(f.StartButton->text(), "Start");
  EXPECT_EQ(f.Measurement.PulseCount, 3);
  f.StartButton->click();
  EXPECT_EQ(f.Measurement.PulseCount, 0);
}

TEST(GainPanel, FollowsTheCheckBoxAndKeepsTheSliderPosition) {
  Window w;
  w.form->LGainChkBox->click();
  EXPECT_TRUE(w.form->GainPanel->isVisible());
  w.form->LGainBar->setValue(7);
  w.form->LGainChkBox->click();
  EXPECT_TRUE(w.form->GainPanel->isHidden());
  w.form->LGainChkBox->click();
  EXPECT_EQ(w.form->LGainBar->value(), 7);
}

TEST(Commands, AboutShowsFiveLinesInAnInformationBox) {
  Window w;
  w.form->About1->trigger();
  ASSERT_EQ(w.boxes.boxes.size(), 1u);
  const auto& box = w.boxes.boxes[0];
  EXPECT_FALSE(box.plain);
  EXPECT_EQ(box.type, TMsgDlgType::mtInformation);
  EXPECT_EQ(box.caption, "Information");
  const QStringList lines = box.text.split('\n');
  ASSERT_EQ(lines.size(), 5);
  EXPECT_EQ(lines[0], "");
  EXPECT_FALSE(lines[1].isEmpty());
  EXPECT_EQ(lines[2], "6 Oct 2002");
  EXPECT_EQ(lines[3], "");
  EXPECT_TRUE(lines[4].startsWith("Please report bugs to: "));
  EXPECT_TRUE(lines[4].contains('@'));
}

TEST(Commands, HelpOpensTheHelpFileAtItsContents) {
  Window w;
  TApplication::Application->HelpFile = ZIZOVEZ_HELP_BUILD;
  w.form->Help1->trigger();
  QTextBrowser* viewer = nullptr;
  for (QWidget* top : QApplication::topLevelWidgets())
    if (top->objectName() == "HelpWindow") viewer = qobject_cast<QTextBrowser*>(top);
  ASSERT_NE(viewer, nullptr);
  EXPECT_TRUE(viewer->isVisible());
  EXPECT_TRUE(viewer->toPlainText().contains("Contents"));
  EXPECT_TRUE(viewer->toPlainText().contains("Right input: the trigger"));
  EXPECT_TRUE(w.boxes.boxes.empty());
  EXPECT_FALSE(viewer->testAttribute(Qt::WA_QuitOnClose)) << "closing the main window still ends the program";
  viewer->close();

  TApplication::Application->HelpFile = "/nonexistent/Dididari.hlp";
  w.form->Help1->trigger();
  ASSERT_EQ(w.boxes.boxes.size(), 1u);
  EXPECT_TRUE(w.boxes.boxes[0].text.contains("/nonexistent/Dididari.hlp"));
}

TEST(Commands, ExitClosesTheWindowAndTheDevice) {
  Window w;
  ASSERT_TRUE(w.driver.IsOpen());
  w.form->Exit1->trigger();
  w.Settle();
  EXPECT_FALSE(w.form->isVisible());
  EXPECT_TRUE(w.form->Closing);
  EXPECT_FALSE(w.driver.IsOpen());
  EXPECT_TRUE(w.boxes.boxes.empty());
}

}  // namespace
}  // namespace zizovez
