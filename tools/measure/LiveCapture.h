// Measuring from the default sound input, through the same capture ring as
// the window, with a plain message queue in place of the window.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "CaptureRing.h"
#include "MeasureSession.h"
#include "MessageQueue.h"
#include "WavRecorder.h"

namespace zizovez {

class LiveCapture final : public TCaptureRing {
 public:
  // `recorder`, if given and open, gets every captured block before it is analysed.
  explicit LiveCapture(MeasureSession& session, WavRecorder* recorder = nullptr)
      : Session(session), Recorder(recorder) {}

  // Records until `seconds` of audio have been analysed (0: no limit) or
  // `stop` is set, then runs the stop sequence. Returns false if the device
  // reported a failure (already printed on standard error).
  bool Run(double seconds, const std::atomic<bool>& stop);

  std::uint64_t LostFrames() const { return Lost; }

 private:
  void AnalyseCapture(CaptureBlock block) override;
  void ShowReport(const std::string& text) override;
  void Dispatch(const PostedMessage& message);

  MeasureSession& Session;
  WavRecorder* Recorder;
  MessageQueue Queue;
  bool Failed = false;
  bool DeviceClosed = false;
  std::uint64_t Lost = 0;
};

}  // namespace zizovez
