#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "MessageQueue.h"
#include "ScriptedWaveIn.h"
#include "WaveIn.h"

namespace {

struct Device {
  ScriptedWaveIn driver;
  MessageQueue queue;
  HWAVEIN handle = nullptr;
  std::vector<char> memory = std::vector<char>(4 * 4096);
  WAVEHDR headers[4] = {};

  Device() {
    SetWaveInDriver(&driver);
    WAVEFORMATEX f{WAVE_FORMAT_PCM, 2, 11025, 44100, 4, 16, 0};
    EXPECT_EQ(waveInOpen(&handle, WAVE_MAPPER, &f, reinterpret_cast<DWORD_PTR>(&queue), 0, CALLBACK_WINDOW),
              MMSYSERR_NOERROR);
    for (int i = 0; i < 4; ++i) {
      headers[i].lpData = memory.data() + 4096 * i;
      headers[i].dwBufferLength = 4096;
    }
  }
  ~Device() {
    waveInReset(handle);
    waveInClose(handle);
    SetWaveInDriver(nullptr);
  }
  MMRESULT Prepare(int i) { return waveInPrepareHeader(handle, &headers[i], sizeof(WAVEHDR)); }
  MMRESULT Add(int i) { return waveInAddBuffer(handle, &headers[i], sizeof(WAVEHDR)); }
  MMRESULT Unprepare(int i) { return waveInUnprepareHeader(handle, &headers[i], sizeof(WAVEHDR)); }
  // The messages that arrive until one of kind `last` has.
  std::vector<PostedMessage> Until(std::uint32_t last) {
    std::vector<PostedMessage> got;
    PostedMessage m;
    while (queue.Wait(m, std::chrono::seconds(5))) {
      got.push_back(m);
      if (m.Msg == last) break;
    }
    return got;
  }
};

std::vector<std::uint8_t> Frames(std::size_t count, std::uint8_t value) {
  return std::vector<std::uint8_t>(count * 4, value);
}

TEST(WaveIn, BuffersAreFilledAndReturnedInQueueOrderAcrossDeliveries) {
  Device d;
  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(d.Prepare(i), MMSYSERR_NOERROR);
    ASSERT_EQ(d.Add(i), MMSYSERR_NOERROR);
  }
  ASSERT_EQ(waveInStart(d.handle), MMSYSERR_NOERROR);
  // 1500 + 1000 frames: buffer 1 fills across the two deliveries, buffer 2
  // gets the last 452 frames.
  d.driver.Deliver(Frames(1500, 7));
  d.driver.Deliver(Frames(1000, 8));
  auto messages = d.Until(MM_WIM_DATA);
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0].Msg, MM_WIM_OPEN);
  EXPECT_EQ(messages[1].LParam, reinterpret_cast<std::intptr_t>(&d.headers[0]));
  EXPECT_EQ(d.Until(MM_WIM_DATA)[0].LParam, reinterpret_cast<std::intptr_t>(&d.headers[1]));
  for (int i : {0, 1}) {
    EXPECT_EQ(d.headers[i].dwBytesRecorded, 4096u);
    EXPECT_EQ(d.headers[i].dwFlags, WHDR_DONE | WHDR_PREPARED);
  }
  EXPECT_EQ(d.memory[4096 + 475 * 4], 7);
  EXPECT_EQ(d.memory[4096 + 476 * 4], 8);
  EXPECT_EQ(d.memory[2 * 4096 + 451 * 4], 8);
  EXPECT_EQ(d.Unprepare(2), WAVERR_STILLPLAYING);

  // The reset returns the partly filled buffer at once, marked done.
  ASSERT_EQ(waveInReset(d.handle), MMSYSERR_NOERROR);
  EXPECT_EQ(d.headers[2].dwBytesRecorded, 452u * 4);
  EXPECT_EQ(d.headers[2].dwFlags, WHDR_DONE | WHDR_PREPARED);
  EXPECT_EQ(d.Until(MM_WIM_DATA)[0].LParam, reinterpret_cast<std::intptr_t>(&d.headers[2]));
  EXPECT_EQ(d.Unprepare(2), MMSYSERR_NOERROR);
}

TEST(WaveIn, FramesWithNoBufferQueuedAreDroppedAndCounted) {
  Device d;
  ASSERT_EQ(d.Prepare(0), MMSYSERR_NOERROR);
  ASSERT_EQ(d.Add(0), MMSYSERR_NOERROR);
  ASSERT_EQ(waveInStart(d.handle), MMSYSERR_NOERROR);
  d.driver.Deliver(Frames(1024 + 300, 5));
  EXPECT_EQ(WaveInOverflowFrames(d.handle), 300u);
  EXPECT_EQ(d.memory[4096], 0) << "never written anywhere else";
}

TEST(WaveIn, MisusedHeadersAndHandlesAreRefused) {
  Device d;
  struct Case {
    const char* what;
    MMRESULT got;
    MMRESULT expected;
  } cases[] = {
      {"add unprepared", d.Add(0), WAVERR_UNPREPARED},
      {"prepare with a wrong size", waveInPrepareHeader(d.handle, &d.headers[0], 32), MMSYSERR_INVALPARAM},
      {"prepare no header", waveInPrepareHeader(d.handle, nullptr, sizeof(WAVEHDR)), MMSYSERR_INVALPARAM},
      {"start no device", waveInStart(nullptr), MMSYSERR_INVALHANDLE},
      {"reset no device", waveInReset(nullptr), MMSYSERR_INVALHANDLE},
      {"close no device", waveInClose(nullptr), MMSYSERR_INVALHANDLE},
      {"unprepare an unprepared header", d.Unprepare(1), MMSYSERR_NOERROR},
  };
  for (const auto& c : cases) EXPECT_EQ(c.got, c.expected) << c.what;

  ASSERT_EQ(d.Prepare(0), MMSYSERR_NOERROR);
  ASSERT_EQ(d.Add(0), MMSYSERR_NOERROR);
  EXPECT_EQ(d.Add(0), MMSYSERR_INVALPARAM) << "already queued";
  EXPECT_EQ(waveInClose(d.handle), WAVERR_STILLPLAYING);
}

TEST(WaveIn, OpenRefusesWhatItCannotRecord) {
  ScriptedWaveIn driver;
  SetWaveInDriver(&driver);
  MessageQueue queue;
  HWAVEIN h = nullptr;
  const auto target = reinterpret_cast<DWORD_PTR>(&queue);
  WAVEFORMATEX mono{WAVE_FORMAT_PCM, 1, 11025, 22050, 2, 16, 0};
  WAVEFORMATEX good{WAVE_FORMAT_PCM, 2, 11025, 44100, 4, 16, 0};
  EXPECT_EQ(waveInOpen(&h, WAVE_MAPPER, &mono, target, 0, CALLBACK_WINDOW), WAVERR_BADFORMAT);
  EXPECT_EQ(waveInOpen(&h, WAVE_MAPPER, &good, target, 0, 0), MMSYSERR_INVALFLAG);
  EXPECT_EQ(waveInOpen(&h, WAVE_MAPPER, &good, 0, 0, CALLBACK_WINDOW), MMSYSERR_INVALPARAM);
  EXPECT_FALSE(driver.IsOpen());
  EXPECT_EQ(h, nullptr);
  SetWaveInDriver(nullptr);
}

TEST(WaveIn, CloseNoticeComesAfterEveryCompletion) {
  std::vector<PostedMessage> messages;
  {
    Device d;
    for (int i = 0; i < 4; ++i) {
      d.Prepare(i);
      d.Add(i);
    }
    waveInStart(d.handle);
    d.driver.Deliver(Frames(2048, 1));
    waveInReset(d.handle);
    for (int i = 0; i < 4; ++i) d.Unprepare(i);
    ASSERT_EQ(waveInClose(d.handle), MMSYSERR_NOERROR);
    messages = d.Until(MM_WIM_CLOSE);
    d.handle = nullptr;
  }
  ASSERT_EQ(messages.size(), 6u);
  EXPECT_EQ(messages.front().Msg, MM_WIM_OPEN);
  for (int i = 1; i <= 4; ++i) EXPECT_EQ(messages[i].Msg, MM_WIM_DATA);
  EXPECT_EQ(messages.back().Msg, MM_WIM_CLOSE);
}

TEST(WaveIn, ErrorTextsAreOursAndFitTheBuffer) {
  char text[256];
  EXPECT_EQ(waveInGetErrorText(WAVERR_BADFORMAT, text, sizeof text), MMSYSERR_NOERROR);
  EXPECT_STREQ(text, "the device does not support 16-bit stereo at 11025 Hz");
  EXPECT_EQ(waveInGetErrorText(12345, text, sizeof text), MMSYSERR_BADERRNUM);
  EXPECT_STREQ(text, "unknown sound device error 12345");
  char small[10];
  waveInGetErrorText(WAVERR_BADFORMAT, small, sizeof small);
  EXPECT_STREQ(small, "the devic");
}

}  // namespace
