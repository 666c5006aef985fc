// Runs the engine over a stream of frames for the command-line measurer,
// as if Start had been pressed before the first frame, and reports every
// recorded pulse with where it came from and how far it can be trusted.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "MeasurementState.h"
#include "MeasurementView.h"
#include "PulseQuality.h"

namespace zizovez {

struct PulseRecord {
  std::int32_t Pulse = 0;         // PulseCount after this pulse
  std::int64_t TriggerFrame = 0;  // 0-based frame of the trigger the pulse was counted from
  std::int32_t PeakOffset = 0;    // PeakPos: frames from trigger to the largest magnitude
  double DelayMs = 0.0;           // this pulse's delay
  double MeanMs = 0.0;            // running mean, DelaySum / PulseCount
  double TimeS = 0.0;             // the trigger's time in the stream
  float PeakMag = 0.0f;           // the largest magnitude
  double DelayFineMs = 0.0;       // the delay between frames
  PulseFlag Flag = PulseFlag::Ok;

  bool operator==(const PulseRecord&) const = default;
};

class PulseSink {
 public:
  virtual ~PulseSink() = default;
  virtual void Pulse(const PulseRecord& pulse) = 0;
};

struct MeasureOptions {
  std::int32_t Width = 511;                // client width bounding the search, as in the window
  std::int64_t SearchFrames = PulseFrames; // frames searched after each trigger
};

class MeasureSession final : private MeasurementView {
 public:
  MeasureSession(const MeasureOptions& options, PulseSink& sink);

  // Analyses whole frames (4 bytes each, left then right, 16-bit LE), in
  // blocks of at most 1024 frames. A trailing partial frame is ignored.
  void Feed(std::span<const std::uint8_t> frames);

  std::int64_t FramesAnalysed() const { return Frames; }

 private:
  void BeginTraceBlock() override;
  void StartTrace(float magnitude, bool clearFirst) override;
  std::int32_t TraceWidth() override;
  void ExtendTrace(std::int64_t n, float magnitude) override;
  void ShowPulseStatistics(std::int32_t count, double meanDelay) override;
  void ShowMeters(float trigLevel, bool rightOverload, bool leftOverload) override;

  float MagnitudeAt(std::int64_t frame) const;

  MeasurementState Measurement;
  PulseTrack Track;
  PulseSink& Sink;
  MeasureOptions Options;
  std::int64_t Last = 0;          // the last frame the search reaches
  std::int64_t Frames = 0;        // frames analysed before the current block
  std::int64_t FrameInBlock = 0;  // frames of the current block begun so far
  std::int64_t BlockSize = 0;     // frames in the current block
  // The magnitudes of the latest frames, enough to look back from a pulse's
  // end to the frames before its trigger.
  std::vector<float> History;
  std::vector<float> BlockMagnitudes;
};

}  // namespace zizovez
