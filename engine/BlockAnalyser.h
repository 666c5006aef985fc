// The engine's entry point: every capture block passes through it once,
// frame by frame in time order.
#pragma once

#include <cmath>
#include <cstdint>
#include <span>

#include "MeasurementState.h"
#include "MeasurementView.h"

namespace zizovez {

// 1024 frames; each frame a signed 16-bit little-endian left sample (the
// receiver's audio) followed by the right sample (the trigger). Frame 0 is the oldest.
using CaptureBlock = std::span<const std::uint8_t, BlockBytes>;

void AnalyseBlock(MeasurementState& state, PulseTrack& track, MeasurementView& view,
                  CaptureBlock block);

// What the command-line measurer may ask beyond the window; the defaults are
// the window's.
struct AnalysisOptions {
  // Frames searched after each trigger; the pulse is recorded at the last.
  std::int64_t SearchFrames = PulseFrames;
  // If set, receives the run's band-pass magnitudes, one per frame, before
  // the first call of the view.
  float* Magnitudes = nullptr;
};

// The same for a run of whole frames of at most one block, as the end of a
// recording may be. A trailing partial frame is ignored.
void AnalyseFrames(MeasurementState& state, PulseTrack& track, MeasurementView& view,
                   std::span<const std::uint8_t> frames, const AnalysisOptions& options = {});

// Overload test of one sample value: strict, against 0.99 in double precision,
// so raw values of 32441 or more, or -32441 or less, overload.
inline bool IsOverload(float v) { return std::fabs(static_cast<double>(v)) > 0.99; }

}  // namespace zizovez
