// A capture driver for tests: it delivers frames when the test asks, and
// makes any call of the layer fail with the code the test chooses.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <span>
#include <vector>

#include "WaveInDriver.h"

class ScriptedWaveIn final : public WaveInDriver {
 public:
  // The nth call of `call` from now on fails with `code`, and `times` calls
  // after it too (-1: every later one).
  void Fail(WaveCall call, MMRESULT code, int nth = 1, int times = 1);
  // Hands frames to the open, started device, as if captured; returns false
  // (and drops them) when it is not recording.
  bool Deliver(const std::uint8_t* frames, std::size_t count);
  bool Deliver(std::span<const std::uint8_t> bytes) { return Deliver(bytes.data(), bytes.size() / 4); }

  bool IsOpen() const { return Sink != nullptr; }
  bool IsRecording() const { return Recording; }
  int Calls(WaveCall call) const;
  const WAVEFORMATEX& Format() const { return OpenedFormat; }
  UINT DeviceId() const { return OpenedDevice; }

  MMRESULT Open(UINT deviceId, const WAVEFORMATEX& format, FrameSink& sink, std::string& reason) override;
  MMRESULT Start(std::string& reason) override;
  void Stop() override { Recording = false; }
  void Close() override { Sink = nullptr; }
  MMRESULT Refuse(WaveCall call) override;

 private:
  struct Failure {
    MMRESULT code;
    int skip;   // calls to let through first
    int times;  // failing calls left; -1 for ever
  };
  std::map<WaveCall, Failure> Failures;
  std::map<WaveCall, int> Counts;
  FrameSink* Sink = nullptr;
  bool Recording = false;
  WAVEFORMATEX OpenedFormat{};
  UINT OpenedDevice = 0;
};
