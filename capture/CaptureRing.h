// The capture ring: 32 buffers kept queued on the input device, each filled
// block handed to the analysis and queued again, every device failure
// reported. The main window carries it as a base, so its buffers and headers
// are part of the window object; the command-line measurer carries one too.
#pragma once

#include <cstdint>
#include <string>

#include "BlockAnalyser.h"
#include "WaveIn.h"

class TCaptureRing {
 public:
  static constexpr int BufferCount = 32;

  // A device still open here (its owner went without the stop sequence) is
  // reset and closed quietly, so that it never posts to a target that is gone.
  virtual ~TCaptureRing();

  // Fills the capture format and opens the default input, notifying `target`
  // (the window's native handle). Reports a failure with "waveInOpen: ".
  bool OpenDevice(MessageTarget* target);
  // Queues buffers 0 to 31 in that order, then expects buffer 0 first.
  void QueueAll();
  // Clears Closing and starts recording; reports a failure with "waveInStart: ".
  void StartRecording();
  // Makes header `index` describe buffer `index`, prepares it and queues it.
  void QueueBuffer(int index);
  // One completion: lParam is the address of the returned header.
  void HandleWimData(std::intptr_t lParam);
  // Resets the device, sets Closing, unprepares the returned headers, closes.
  void StopSequence();
  // Shows `prefix` followed by the device's text for `code`.
  void ReportWaveError(const char* prefix, MMRESULT code);

  HWAVEIN WaveIn = nullptr;
  std::uint8_t WaveBuffers[BufferCount * zizovez::BlockBytes] = {};
  WAVEHDR WaveHeaders[BufferCount] = {};
  std::int32_t NextBuffer = 0;  // the buffer whose completion comes next
  bool Closing = false;         // completions are ignored once set

 protected:
  // Analyses one completed block; the buffer is queued again after it returns.
  virtual void AnalyseCapture(zizovez::CaptureBlock block) = 0;
  // Shows a failure report; returns when the user has seen it.
  virtual void ShowReport(const std::string& text) = 0;
};
