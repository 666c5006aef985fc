#include "LiveCapture.h"

#include <chrono>
#include <cmath>
#include <cstdio>

namespace zizovez {

using Clock = std::chrono::steady_clock;

bool LiveCapture::Run(double seconds, const std::atomic<bool>& stop) {
  if (!OpenDevice(&Queue)) return false;
  QueueAll();
  StartRecording();
  if (Failed) {
    StopSequence();
    return false;
  }
  const auto frames = static_cast<std::int64_t>(std::ceil(seconds * SampleRate));
  // Should the device deliver nothing, give up a little after the audio
  // asked for would have come.
  const auto giveUp = Clock::now() + std::chrono::milliseconds(static_cast<long long>(seconds * 1000) + 5000);
  while (!stop.load() && !Failed) {
    if (seconds > 0 && Session.FramesAnalysed() >= frames) break;
    if (seconds > 0 && Clock::now() > giveUp) {
      std::fprintf(stderr, "zizovez-measure: the sound input delivered only %lld of %lld frames in time\n",
                   static_cast<long long>(Session.FramesAnalysed()), static_cast<long long>(frames));
      Failed = true;
      break;
    }
    PostedMessage message;
    if (Queue.Wait(message, std::chrono::milliseconds(100))) Dispatch(message);
  }
  Lost = WaveInOverflowFrames(WaveIn);
  StopSequence();
  // The messages still on their way are ignored now; wait for the close notice.
  const auto deadline = Clock::now() + std::chrono::seconds(5);
  while (!DeviceClosed && WaveIn != nullptr && Clock::now() < deadline) {
    PostedMessage message;
    if (Queue.Wait(message, std::chrono::milliseconds(100))) Dispatch(message);
  }
  return !Failed;
}

void LiveCapture::Dispatch(const PostedMessage& message) {
  if (message.Msg == MM_WIM_DATA) {
    HandleWimData(message.LParam);
  } else if (message.Msg == MM_WIM_CLOSE) {
    DeviceClosed = true;
  }
}

void LiveCapture::AnalyseCapture(CaptureBlock block) {
  if (Recorder != nullptr && !Failed && !Recorder->Write(block)) {
    // The recording cannot go on: say so, and end the run with this block.
    std::fprintf(stderr, "zizovez-measure: %s\n", Recorder->Error().c_str());
    Failed = true;
  }
  // A block that is not in the recording is not measured either, so that the
  // recording, measured later, gives the same pulses.
  if (!Failed) Session.Feed(block);
}

void LiveCapture::ShowReport(const std::string& text) {
  std::fprintf(stderr, "%s\n", text.c_str());
  Failed = true;
}

}  // namespace zizovez
