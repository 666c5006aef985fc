#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <vector>

#include <sndfile.h>

#include "MeasureSession.h"
#include "Recording.h"
#include "Sinks.h"
#include "TempDir.h"
#include "TestSignal.h"

namespace zizovez {
namespace {

using test::PulseList;
using test::TempDir;

TestSignal Signal() {
  TestSignalOptions o;
  o.DelaysMs = {0.5, 2.0};
  o.Pulses = 6;
  o.IntervalMs = 120.0;
  return GenerateTestSignal(o);
}

// Writes `samples` (interleaved, `channels` per frame) in `format` at `rate`.
void Write(const std::string& path, int format, int rate, int channels,
           const std::vector<std::int16_t>& samples) {
  SF_INFO info{};
  info.samplerate = rate;
  info.channels = channels;
  info.format = format;
  SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
  ASSERT_NE(f, nullptr) << sf_strerror(nullptr);
  sf_writef_short(f, samples.data(), static_cast<sf_count_t>(samples.size() / channels));
  sf_close(f);
}

std::vector<PulseRecord> MeasureFile(const std::string& path, Recording** keep = nullptr) {
  static std::unique_ptr<Recording> last;
  last = std::make_unique<Recording>(path);
  if (keep) *keep = last.get();
  PulseList list;
  MeasureSession session(MeasureOptions{}, list);
  std::array<std::uint8_t, BlockBytes> block;
  while (const int n = last->Read(block.data(), BlockFrames)) {
    session.Feed(std::span(block.data(), static_cast<std::size_t>(n) * FrameBytes));
  }
  return list.pulses;
}

TEST(Recording, UnusableFilesAreRefusedWithTheReason) {
  TempDir dir;
  const TestSignal s = Signal();
  std::vector<std::int16_t> mono(s.Samples.begin(), s.Samples.begin() + 1000);
  Write(dir / "mono.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, SampleRate, 1, mono);
  Write(dir / "fast.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 2, s.Samples);
  Write(dir / "none.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, SampleRate, 2, {});
  std::ofstream(dir / "empty.wav").close();
  std::ofstream(dir / "text.wav") << "not audio at all\n";

  struct Case {
    std::string file;
    std::string reason;
  } cases[] = {
      {"mono.wav", "1 channel(s); two are needed"},
      {"fast.wav", "sampled at 44100 Hz; the measurement needs 11025 Hz"},
      {"none.wav", "no audio frames"},
      {"empty.wav", "cannot read it as audio"},
      {"text.wav", "cannot read it as audio"},
      {"missing.wav", "No such file"},
  };
  for (const auto& c : cases) {
    try {
      Recording r(dir / c.file);
      ADD_FAILURE() << c.file << " was accepted";
    } catch (const RecordingError& e) {
      EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos) << c.file << ": " << e.what();
    }
  }
}

TEST(Recording, OtherFormatsGiveTheSamePulses) {
  TempDir dir;
  const TestSignal s = Signal();
  WriteTestSignal(dir / "ref.wav", s);
  const auto reference = MeasureFile(dir / "ref.wav");
  ASSERT_EQ(reference.size(), 6u);

  struct Case {
    const char* file;
    int format;
  } cases[] = {
      {"a.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16},
      {"a.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_16},
      {"a24.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_24},
      {"float.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT},
  };
  for (const auto& c : cases) {
    Write(dir / c.file, c.format, SampleRate, 2, s.Samples);
    const auto pulses = MeasureFile(dir / c.file);
    ASSERT_EQ(pulses.size(), reference.size()) << c.file;
    for (std::size_t p = 0; p < pulses.size(); ++p) {
      EXPECT_EQ(pulses[p].TriggerFrame, reference[p].TriggerFrame) << c.file;
      EXPECT_EQ(pulses[p].PeakOffset, reference[p].PeakOffset) << c.file;
    }
  }
}

TEST(Recording, CutOffFileIsMeasuredAsFarAsItGoesAndSaysSo) {
  TempDir dir;
  const TestSignal s = Signal();
  WriteTestSignal(dir / "whole.wav", s);
  Recording* whole = nullptr;
  EXPECT_EQ(MeasureFile(dir / "whole.wav", &whole).size(), 6u);
  EXPECT_FALSE(whole->EndedEarly());

  for (const char* format : {"wav", "aiff"}) {
    const std::string full = dir / (std::string("full.") + format);
    Write(full, (format[0] == 'w' ? SF_FORMAT_WAV : SF_FORMAT_AIFF) | SF_FORMAT_PCM_16, SampleRate, 2,
          s.Samples);
    std::ifstream in(full, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
    const std::string cut = dir / (std::string("cut.") + format);
    std::ofstream(cut, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size() / 2));

    Recording* r = nullptr;
    const auto pulses = MeasureFile(cut, &r);
    EXPECT_TRUE(r->EndedEarly()) << format;
    EXPECT_EQ(r->DeclaredFrames(), s.Frames()) << format;
    EXPECT_LT(r->FramesRead(), s.Frames() / 2 + 1) << format;
    EXPECT_EQ(pulses.size(), 3u) << format;
  }
}

}  // namespace
}  // namespace zizovez
