// Capture through the real PortAudio and ALSA stack, fed from a FIFO.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "CaptureRing.h"
#include "FifoSoundCard.h"
#include "MessageQueue.h"
#include "RunProgram.h"
#include "TestSignal.h"

namespace zizovez {
namespace {

using test::FifoSoundCard;

class RecordingRing : public TCaptureRing {
 public:
  MessageQueue queue;
  std::vector<std::uint8_t> analysed;
  std::vector<std::string> reports;

 protected:
  void AnalyseCapture(CaptureBlock block) override { analysed.insert(analysed.end(), block.begin(), block.end()); }
  void ShowReport(const std::string& text) override { reports.push_back(text); }
};

TEST(LiveCapture, RecordsExactlyTheFedFramesInOrder) {
  FifoSoundCard card;
  TestSignalOptions o;
  o.DelaysMs = {0.4, 1.9, 3.1};
  o.Pulses = 8;
  o.IntervalMs = 150.0;
  o.NoiseRms = 0.05;
  const auto fed = SignalBytes(GenerateTestSignal(o));
  card.Play(fed);

  RecordingRing ring;
  ASSERT_TRUE(ring.OpenDevice(&ring.queue)) << ring.reports.at(0);
  ring.QueueAll();
  ring.StartRecording();
  ASSERT_TRUE(ring.reports.empty()) << ring.reports[0];
  const std::size_t blocks = fed.size() / BlockBytes + 4;  // through the signal and into the zeros
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (ring.analysed.size() < blocks * BlockBytes && std::chrono::steady_clock::now() < deadline) {
    PostedMessage m;
    if (ring.queue.Wait(m, std::chrono::milliseconds(200)) && m.Msg == MM_WIM_DATA) ring.HandleWimData(m.LParam);
  }
  EXPECT_EQ(WaveInOverflowFrames(ring.WaveIn), 0u);
  ring.StopSequence();
  card.Stop();

  ASSERT_EQ(ring.analysed.size(), blocks * BlockBytes);
  const std::size_t signalBytes = fed.size() - fed.size() % BlockBytes;
  EXPECT_TRUE(std::equal(fed.begin(), fed.begin() + static_cast<std::ptrdiff_t>(signalBytes), ring.analysed.begin()))
      << "the recording starts at frame 0 of what was fed and misses nothing";
  EXPECT_TRUE(std::all_of(ring.analysed.begin() + static_cast<std::ptrdiff_t>(fed.size() + BlockBytes),
                          ring.analysed.end(), [](std::uint8_t b) { return b == 0; }));
  EXPECT_TRUE(ring.reports.empty());
}

using test::Outcome;

Outcome Measure(const std::string& args, const std::string& errFile) {
  return test::RunProgram(ZIZOVEZ_MEASURE_BIN, args, errFile);
}

TEST(LiveCapture, MeasurerReportsTheSamePulsesLiveAsFromTheFile) {
  test::TempDir dir;
  TestSignalOptions o;
  o.DelaysMs = {0.5, 2.0, 3.0};
  o.Pulses = 9;
  o.IntervalMs = 200.0;
  const TestSignal signal = GenerateTestSignal(o);
  WriteTestSignal(dir / "signal.wav", signal);
  const Outcome file = Measure(dir / "signal.wav", dir / "file.err");
  ASSERT_EQ(file.status, 0) << file.err;

  FifoSoundCard card;
  card.Play(SignalBytes(signal));
  const Outcome live = Measure("--live --seconds 2.5", dir / "live.err");
  card.Stop();
  EXPECT_EQ(live.status, 0) << live.err;
  EXPECT_EQ(live.out, file.out);
  EXPECT_NE(live.err.find("9 pulses"), std::string::npos) << live.err;
  EXPECT_EQ(live.err.find("ALSA"), std::string::npos) << "no chatter from the sound system: " << live.err;
}

TEST(LiveCapture, NoUsableInputIsReportedAsTheOpenFailure) {
  test::TempDir dir;
  FifoSoundCard card(false);
  const Outcome live = Measure("--live --seconds 1", dir / "live.err");
  EXPECT_EQ(live.status, 2);
  EXPECT_EQ(live.err.rfind("waveInOpen: no sound input device is available; connect one and start again", 0), 0u)
      << live.err;
  // Our lines and nothing from ALSA or JACK.
  std::istringstream lines(live.err);
  for (std::string line; std::getline(lines, line);) {
    EXPECT_TRUE(line.rfind("waveInOpen: ", 0) == 0 || line.rfind("zizovez-measure: ", 0) == 0) << line;
  }
}

}  // namespace
}  // namespace zizovez
