#include <gtest/gtest.h>

#include "RingHarness.h"

namespace zizovez {
namespace {

using test::RingHarness;

TEST(CaptureRing, OpensTheDefaultInputFor16BitStereoAt11025) {
  RingHarness ring;
  ring.Create();
  EXPECT_TRUE(ring.reports.empty());
  EXPECT_EQ(ring.driver.DeviceId(), WAVE_MAPPER);
  const WAVEFORMATEX& f = ring.driver.Format();
  EXPECT_EQ(f.wFormatTag, 1);
  EXPECT_EQ(f.nChannels, 2);
  EXPECT_EQ(f.nSamplesPerSec, 11025u);
  EXPECT_EQ(f.nAvgBytesPerSec, 44100u);
  EXPECT_EQ(f.nBlockAlign, 4);
  EXPECT_EQ(f.wBitsPerSample, 16);
  EXPECT_TRUE(ring.driver.IsRecording());
  EXPECT_EQ(ring.QueuedOnDevice(), 32);
  for (int i = 0; i < 32; ++i) {
    EXPECT_EQ(ring.WaveHeaders[i].lpData, reinterpret_cast<char*>(ring.WaveBuffers + BlockBytes * i));
    EXPECT_EQ(ring.WaveHeaders[i].dwBufferLength, static_cast<DWORD>(BlockBytes));
  }
}

TEST(CaptureRing, EveryBlockIsAnalysedOnceInOrderAndTheRingWraps) {
  RingHarness ring;
  ring.Create();
  for (int b = 0; b < 70; ++b) ring.Deliver(b);
  ASSERT_EQ(ring.analysed.size(), 70u);
  for (int b = 0; b < 70; ++b) EXPECT_EQ(ring.analysed[b], b);
  EXPECT_EQ(ring.NextBuffer, 70 % 32);
  EXPECT_EQ(ring.QueuedOnDevice(), 32);
  EXPECT_TRUE(ring.reports.empty());
  for (const auto size : ring.blockSizes) EXPECT_EQ(size, static_cast<std::size_t>(BlockBytes));
  EXPECT_EQ(ring.others, std::vector<std::uint32_t>{MM_WIM_OPEN});
}

TEST(CaptureRing, WholeBlockIsAnalysedWhateverBytesRecordedSays) {
  RingHarness ring;
  ring.Create();
  ring.driver.Deliver(test::MarkedBlock(9));
  PostedMessage m;
  while (ring.queue.Wait(m, std::chrono::seconds(5)) && m.Msg != MM_WIM_DATA) {
  }
  ASSERT_EQ(m.Msg, MM_WIM_DATA);
  reinterpret_cast<WAVEHDR*>(m.LParam)->dwBytesRecorded = 8;
  ring.HandleWimData(m.LParam);
  ASSERT_EQ(ring.blockSizes.size(), 1u);
  EXPECT_EQ(ring.blockSizes[0], static_cast<std::size_t>(BlockBytes));
}

// Each row of the failure table: the exact message, and what follows.
TEST(CaptureRing, OpenFailureIsReportedAndNothingElseHappens) {
  RingHarness ring;
  ring.driver.Fail(WaveCall::Open, MMSYSERR_ALLOCATED);
  ring.Create();
  ASSERT_EQ(ring.reports.size(), 1u);
  EXPECT_EQ(ring.reports[0],
            "waveInOpen: the sound input device is not available: it may be in use by another program");
  EXPECT_EQ(ring.driver.Calls(WaveCall::PrepareHeader), 0);
  EXPECT_FALSE(ring.driver.IsRecording());
  // Closing: reset and close fail unexamined, nothing is unprepared, nothing said.
  ring.StopSequence();
  EXPECT_EQ(ring.reports.size(), 1u);
  EXPECT_TRUE(ring.Closing);
}

TEST(CaptureRing, PrepareFailureDropsTheBufferAndTheRingRunsOneBlockLate) {
  RingHarness ring;
  ring.driver.Fail(WaveCall::PrepareHeader, MMSYSERR_NOMEM, 6);  // buffer 5
  ring.Create();
  ASSERT_EQ(ring.reports.size(), 1u);
  EXPECT_EQ(ring.reports[0], "waveInPrepareHeader: not enough memory for the sound input device");
  EXPECT_EQ(ring.QueuedOnDevice(), 31);
  EXPECT_EQ(ring.WaveHeaders[5].dwFlags & (WHDR_PREPARED | WHDR_INQUEUE), 0u);

  for (int b = 0; b < 40; ++b) ring.Deliver(b);
  // Buffers fill in queue order 0-4, 6-31, then 0-4 again... Blocks 0-4 are
  // analysed as they come. At the sixth message (buffer 6) the ring analyses
  // buffer 5, which never recorded, and queues it again; from then on every
  // block is analysed one message late.
  const std::vector<int> expectedStart = {0, 1, 2, 3, 4, 0 /* stale buffer 5 */, 5, 6, 7};
  for (std::size_t i = 0; i < expectedStart.size(); ++i) {
    EXPECT_EQ(ring.analysed[i], expectedStart[i]) << i;
  }
  EXPECT_EQ(ring.QueuedOnDevice(), 31) << "31 between messages instead of 32";
  EXPECT_EQ(ring.reports.size(), 1u);
}

TEST(CaptureRing, AddFailureLeavesTheBufferPreparedButNotQueued) {
  RingHarness ring;
  ring.driver.Fail(WaveCall::AddBuffer, MMSYSERR_INVALPARAM, 3);  // buffer 2
  ring.Create();
  ASSERT_EQ(ring.reports.size(), 1u);
  EXPECT_EQ(ring.reports[0], "waveInAddBuffer: a capture buffer was handed to the device wrongly");
  EXPECT_EQ(ring.WaveHeaders[2].dwFlags, WHDR_PREPARED);
  ring.StopSequence();
  // The stop sequence unprepares the 31 returned (done) headers only.
  EXPECT_EQ(ring.driver.Calls(WaveCall::UnprepareHeader), 31);
  EXPECT_EQ(ring.WaveHeaders[2].dwFlags, WHDR_PREPARED);
}

TEST(CaptureRing, StartFailureLeavesEverythingQueuedAndTheCloseUnpreparesAll) {
  RingHarness ring;
  ring.driver.Fail(WaveCall::Start, MMSYSERR_ERROR);
  ring.Create();
  ASSERT_EQ(ring.reports.size(), 1u);
  EXPECT_EQ(ring.reports[0], "waveInStart: the sound input device reported an error");
  EXPECT_FALSE(ring.driver.IsRecording());
  EXPECT_EQ(ring.QueuedOnDevice(), 32);
  ring.StopSequence();
  EXPECT_EQ(ring.driver.Calls(WaveCall::UnprepareHeader), 32);
  EXPECT_EQ(ring.reports.size(), 1u);
  for (const auto& h : ring.WaveHeaders) EXPECT_EQ(h.dwFlags & WHDR_PREPARED, 0u);
}

TEST(CaptureRing, UnprepareFailureDropsTheBlockAndTheStopTriesAgain) {
  RingHarness ring;
  ring.Create();
  ring.Deliver(0);
  ring.driver.Fail(WaveCall::UnprepareHeader, MMSYSERR_ERROR);
  ring.Deliver(1);
  ASSERT_EQ(ring.reports.size(), 1u);
  EXPECT_EQ(ring.reports[0], "waveInUnprepareHeader: the sound input device reported an error");
  EXPECT_EQ(ring.analysed, std::vector<int>{0}) << "block 1 dropped unanalysed";
  EXPECT_EQ(ring.NextBuffer, 2) << "moved on before the failing call";
  EXPECT_EQ(ring.QueuedOnDevice(), 31) << "buffer 1 is not queued again";
  EXPECT_NE(ring.WaveHeaders[1].dwFlags & WHDR_DONE, 0u);

  const int before = ring.driver.Calls(WaveCall::UnprepareHeader);
  ring.StopSequence();
  EXPECT_EQ(ring.driver.Calls(WaveCall::UnprepareHeader) - before, 32) << "31 returned and buffer 1 again";
}

TEST(CaptureRing, StopSequenceGoesOnPastAFailingUnprepare) {
  RingHarness ring;
  ring.Create();
  ring.driver.Fail(WaveCall::UnprepareHeader, MMSYSERR_ERROR, 4);  // header 3
  ring.StopSequence();
  EXPECT_EQ(ring.reports,
            std::vector<std::string>{"waveInUnprepareHeader: the sound input device reported an error"});
  EXPECT_EQ(ring.driver.Calls(WaveCall::UnprepareHeader), 32);
}

TEST(CaptureRing, FailingResetAndCloseAreNotExamined) {
  RingHarness ring;
  ring.Create();
  ring.driver.Fail(WaveCall::Reset, MMSYSERR_ERROR);
  ring.StopSequence();
  EXPECT_TRUE(ring.reports.empty());
  EXPECT_EQ(ring.driver.Calls(WaveCall::UnprepareHeader), 0) << "nothing came back, nothing is done";
  EXPECT_EQ(ring.driver.Calls(WaveCall::Close), 1) << "refused: buffers are still queued";
  // Release the device the refused calls left open.
  EXPECT_EQ(waveInReset(ring.WaveIn), MMSYSERR_NOERROR);
  EXPECT_EQ(waveInClose(ring.WaveIn), MMSYSERR_NOERROR);
}

TEST(CaptureRing, CompletionsAfterClosingDoNothing) {
  RingHarness ring;
  ring.Create();
  ring.Deliver(0);
  ring.driver.Deliver(test::MarkedBlock(1));  // its message is still on the way
  ring.StopSequence();
  const int unprepares = ring.driver.Calls(WaveCall::UnprepareHeader);
  ring.Pump(32);  // the completion above and the 31 the reset returned
  EXPECT_EQ(ring.analysed, std::vector<int>{0});
  EXPECT_EQ(ring.driver.Calls(WaveCall::UnprepareHeader), unprepares);
  EXPECT_TRUE(ring.reports.empty());
  ASSERT_FALSE(ring.others.empty());
  EXPECT_EQ(ring.others.back(), MM_WIM_CLOSE);
}

TEST(CaptureRing, ARingLeftOpenClosesItsDeviceQuietly) {
  ScriptedWaveIn driver;
  SetWaveInDriver(&driver);
  MessageQueue queue;
  {
    struct Bare final : TCaptureRing {
      void AnalyseCapture(CaptureBlock) override {}
      void ShowReport(const std::string& text) override { ADD_FAILURE() << text; }
    } ring;
    ASSERT_TRUE(ring.OpenDevice(&queue));
    ring.QueueAll();
    ring.StartRecording();
    ASSERT_TRUE(driver.IsRecording());
  }  // gone without the stop sequence
  EXPECT_FALSE(driver.IsOpen());
  PostedMessage m;
  bool closed = false;
  while (!closed && queue.Wait(m, std::chrono::seconds(5))) closed = m.Msg == MM_WIM_CLOSE;
  EXPECT_TRUE(closed) << "the last message the device posts is its close notice";
  SetWaveInDriver(nullptr);
}

}  // namespace
}  // namespace zizovez
