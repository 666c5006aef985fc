// Runs the engine over a stream of frames for the command-line measurer,
// as if Start had been pressed before the first frame, and reports every
// recorded pulse with where it came from.
#pragma once

#include <cstdint>
#include <span>

#include "MeasurementState.h"
#include "MeasurementView.h"

namespace zizovez {

struct PulseRecord {
  std::int32_t Pulse = 0;         // PulseCount after this pulse
  std::int64_t TriggerFrame = 0;  // 0-based frame of the trigger the pulse was counted from
  std::int32_t PeakOffset = 0;    // PeakPos: frames from trigger to the largest magnitude
  float PeakMag = 0.0f;           // that magnitude
  double DelayMs = 0.0;           // this pulse's delay
  double MeanMs = 0.0;            // running mean, DelaySum / PulseCount

  bool operator==(const PulseRecord&) const = default;
};

class PulseSink {
 public:
  virtual ~PulseSink() = default;
  virtual void Pulse(const PulseRecord& pulse) = 0;
};

class MeasureSession final : private MeasurementView {
 public:
  // `width` is the client width that bounds the peak search (511 in the window).
  MeasureSession(std::int32_t width, PulseSink& sink);

  // Analyses whole frames (4 bytes each, left then right, 16-bit LE), in
  // blocks of at most 1024 frames. A trailing partial frame is ignored.
  void Feed(std::span<const std::uint8_t> frames);

  std::int64_t FramesAnalysed() const { return Frames; }
  const MeasurementState& State() const { return Measurement; }

 private:
  void BeginTraceBlock() override;
  void StartTrace(float magnitude, bool clearFirst) override;
  std::int32_t TraceWidth() override;
  void ExtendTrace(std::int64_t n, float magnitude) override;
  void ShowPulseStatistics(std::int32_t count, double meanDelay) override;
  void ShowMeters(float trigLevel, bool rightOverload, bool leftOverload) override;

  MeasurementState Measurement;
  PulseTrack Track;
  PulseSink& Sink;
  std::int32_t Width;
  std::int64_t Frames = 0;        // frames analysed before the current block
  std::int64_t FrameInBlock = 0;  // frames of the current block begun so far
};

}  // namespace zizovez
