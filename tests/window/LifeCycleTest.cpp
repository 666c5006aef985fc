#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTimer>

#include "WindowHarness.h"

namespace zizovez {
namespace {

using test::FrameStream;
using test::Window;

TEST(LifeCycle, CreationOpensQueuesDesignsAndStarts) {
  Window w;
  EXPECT_TRUE(w.driver.IsRecording());
  EXPECT_EQ(w.driver.Calls(WaveCall::AddBuffer), 32);
  EXPECT_EQ(w.form->NextBuffer, 0);
  EXPECT_FALSE(w.form->Measurement.Running);
  EXPECT_FALSE(w.form->Closing);
  EXPECT_NEAR(w.form->Measurement.CosKernel[18], 0.539567, 1e-6);
  EXPECT_TRUE(w.boxes.boxes.empty());
}

TEST(LifeCycle, OpenFailureShowsOneBoxAndTheWindowStillWorks) {
  Window w(false);
  w.driver.Fail(WaveCall::Open, MMSYSERR_BADDEVICEID);
  w.form->Create();
  ASSERT_EQ(w.boxes.boxes.size(), 1u);
  EXPECT_TRUE(w.boxes.boxes[0].plain);
  EXPECT_EQ(w.boxes.boxes[0].text, "waveInOpen: no sound input device is available; connect one and start again");
  EXPECT_EQ(w.boxes.boxes[0].caption, TApplication::Title());
  EXPECT_EQ(w.driver.Calls(WaveCall::PrepareHeader), 0);
  EXPECT_EQ(w.form->Measurement.CosKernel[18], 0.0f) << "nothing after the open runs";
  w.form->StartButton->click();
  EXPECT_EQ(w.form->StartButton->text(), "Stop!");
  w.form->close();
  EXPECT_EQ(w.boxes.boxes.size(), 1u) << "closing says nothing more";
}

TEST(LifeCycle, OpenAndCloseNoticesGoToTheInheritedDispatch) {
  Window w;
  QSignalSpy unhandled(w.form, &TForm::UnhandledMessage);
  w.form->PostMessage(MM_WIM_OPEN, 0, 0);
  w.form->PostMessage(MM_WIM_CLOSE, 0, 0);
  w.Settle();
  ASSERT_EQ(unhandled.count(), 2);
  EXPECT_EQ(unhandled[0][0].toUInt(), MM_WIM_OPEN);
  EXPECT_EQ(unhandled[1][0].toUInt(), MM_WIM_CLOSE);
  EXPECT_EQ(w.form->NextBuffer, 0);
}

TEST(LifeCycle, CompletionsGoOnWhileAReportIsOpen) {
  Window w;
  SetMessageBoxService(nullptr);  // the real, modal box
  w.driver.Fail(WaveCall::UnprepareHeader, MMSYSERR_ERROR);
  int nextWhileOpen = -1;
  QString boxText;
  QTimer::singleShot(50, [&] {
    w.driver.Deliver(FrameStream(BlockFrames).Block(1));
    w.driver.Deliver(FrameStream(BlockFrames).Block(2));
  });
  QTimer::singleShot(600, [&] {
    nextWhileOpen = w.form->NextBuffer;
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      boxText = box->text();
      box->accept();
    }
  });
  w.driver.Deliver(FrameStream(BlockFrames).Block(0));  // its unprepare fails: the report box opens
  QElapsedTimer timer;
  timer.start();
  while (boxText.isEmpty() && timer.elapsed() < 5000) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  EXPECT_EQ(boxText, "waveInUnprepareHeader: the sound input device reported an error");
  EXPECT_EQ(nextWhileOpen, 3) << "two more blocks handled behind the box";
}

}  // namespace
}  // namespace zizovez
