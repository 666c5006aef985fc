// Capture through the real PortAudio and ALSA stack, fed from a FIFO.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <thread>
#include <fstream>

#include "CaptureRing.h"
#include "MeasureSession.h"
#include "Recording.h"
#include "Sinks.h"
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

TEST(LiveCapture, RecordingWhileMeasuringGivesTheSamePulsesLater) {
  test::TempDir dir;
  TestSignalOptions o;
  o.DelaysMs = {0.7, 2.2};
  o.Pulses = 8;
  o.IntervalMs = 200.0;
  o.NoiseRms = 0.01;
  FifoSoundCard card;
  card.Play(SignalBytes(GenerateTestSignal(o)));
  const Outcome live = Measure("--live --seconds 2 --record " + dir / "rec.wav", dir / "live.err");
  card.Stop();
  ASSERT_EQ(live.status, 0) << live.err;
  const Outcome later = Measure(dir / "rec.wav", dir / "file.err");
  EXPECT_EQ(later.status, 0) << later.err;
  EXPECT_EQ(later.out, live.out);
  EXPECT_NE(live.out.find("\n8,"), std::string::npos) << live.out;
}

TEST(LiveCapture, AFullDiskEndsTheRunWithTheRecordingValidToTheLastBlock) {
  test::TempDir dir;
  TestSignalOptions o;
  o.Pulses = 30;
  o.IntervalMs = 100.0;
  FifoSoundCard card;
  card.Play(SignalBytes(GenerateTestSignal(o)));
  // A file size limit of 60 KiB stands in for a disk that fills up.
  const Outcome live = test::RunProgram("bash -c 'ulimit -f 60; exec " + std::string(ZIZOVEZ_MEASURE_BIN) + " \"$@\"' --",
                                        "--live --seconds 5 --record " + dir / "rec.wav", dir / "live.err");
  card.Stop();
  EXPECT_EQ(live.status, 2);
  EXPECT_NE(live.err.find("rec.wav: cannot write the recording: File too large; it ends after"), std::string::npos)
      << live.err;

  Recording rec(dir / "rec.wav");
  std::array<std::uint8_t, BlockBytes> block;
  while (rec.Read(block.data(), BlockFrames) > 0) {
  }
  EXPECT_FALSE(rec.EndedEarly()) << "the header says what the file holds";
  EXPECT_GT(rec.FramesRead(), 0);
  EXPECT_EQ(rec.FramesRead() % BlockFrames, 0) << "whole blocks only";
  EXPECT_LT(rec.FramesRead() * 4, 60 * 1024);
  EXPECT_NE(live.err.find("ends after " + std::to_string(rec.FramesRead()) + " frames"), std::string::npos)
      << live.err;
  const Outcome later = Measure(dir / "rec.wav", dir / "file.err");
  EXPECT_EQ(later.out, live.out) << "the pulses measured live are the pulses in the file";
}

TEST(LiveCapture, PlayedSignalArrivesSampleAligned) {
  test::TempDir dir;
  FifoSoundCard::UseOutputFile(dir / "out.conf", dir / "played.raw");
  const Outcome play = Measure("play --delay 1.0,2.5 --pulses 6 --interval 150", dir / "play.err");
  ASSERT_EQ(play.status, 0) << play.err;
  std::ifstream raw(dir / "played.raw", std::ios::binary);
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(raw)), {});
  ASSERT_GT(bytes.size(), 6u * 150 * 11 * 4);
  test::PulseList pulses;
  MeasureSession session(MeasureOptions{}, pulses);
  session.Feed(bytes);
  ASSERT_EQ(pulses.pulses.size(), 6u);
  for (std::size_t p = 0; p < 6; ++p) {
    EXPECT_EQ(pulses.pulses[p].PeakOffset, p % 2 == 0 ? 29 : 46) << "pulse " << p;  // 11 and 28 frames
  }
}

// Starts the measurer with `args`, interrupts it after `ms` as Ctrl-C would,
// and returns its exit status (-1 if it had to be killed).
int InterruptAfter(const std::string& args, int ms, const std::string& out, const std::string& err) {
  const pid_t pid = fork();
  if (pid == 0) {
    const std::string command = "exec " + std::string(ZIZOVEZ_MEASURE_BIN) + " " + args + " >" + out + " 2>" + err;
    execl("/bin/sh", "sh", "-c", command.c_str(), nullptr);
    _exit(127);
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
  kill(pid, SIGINT);
  for (int i = 0; i < 100; ++i) {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  return -1;
}

std::string Contents(const std::string& path) {
  std::ifstream in(path);
  return std::string((std::istreambuf_iterator<char>(in)), {});
}

TEST(LiveCapture, CtrlCStopsMeasuringAndPlayingCleanly) {
  test::TempDir dir;
  {
    FifoSoundCard card;
    TestSignalOptions o;
    o.Pulses = 40;
    card.Play(SignalBytes(GenerateTestSignal(o)));
    EXPECT_EQ(InterruptAfter("--live", 2000, dir / "live.out", dir / "live.err"), 0) << Contents(dir / "live.err");
    EXPECT_NE(Contents(dir / "live.err").find("ok pulses: "), std::string::npos) << "the summary comes all the same";
    EXPECT_NE(Contents(dir / "live.out").find("\n1,"), std::string::npos);
  }
  // Playing for ever into a FIFO that is read at the pace of a sound card.
  const std::string fifo = dir / "played.fifo";
  mkfifo(fifo.c_str(), 0600);
  FifoSoundCard::UseOutputFile(dir / "out.conf", fifo);
  std::atomic<bool> reading{true};
  std::size_t received = 0;
  std::thread reader([&] {
    const int fd = open(fifo.c_str(), O_RDWR | O_NONBLOCK);
    std::vector<char> chunk(4096);
    while (reading) {
      const ssize_t n = read(fd, chunk.data(), chunk.size());
      if (n > 0) received += static_cast<std::size_t>(n);
      std::this_thread::sleep_for(std::chrono::microseconds(1024LL * 1000000 / 11025));
    }
    close(fd);
  });
  const int status = InterruptAfter("play --forever", 1500, dir / "play.out", dir / "play.err");
  reading = false;
  reader.join();
  EXPECT_EQ(status, 0) << Contents(dir / "play.err");
  EXPECT_EQ(Contents(dir / "play.err"), "");
  EXPECT_GT(received, 4096u) << "it was playing";
}

}  // namespace
}  // namespace zizovez
