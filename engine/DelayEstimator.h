// Delay estimator: the frame of the largest magnitude after each trigger,
// less the detector's lag, as a delay in milliseconds; and the running mean.
#pragma once

#include <cstdint>

#include "MeasurementState.h"
#include "MeasurementView.h"

namespace zizovez {

// At every frame with SinceTrigger = 0.
inline void ResetPeak(PulseTrack& track) {
  track.PeakPos = 0;
  track.PeakMag = 0.0f;
}

// At a frame with SinceTrigger = n >= 1 that lies inside the trace width.
// Strict: ties keep the earlier frame, and a magnitude of 0 never becomes the peak.
inline void TrackPeak(PulseTrack& track, std::int64_t n, float magnitude) {
  if (magnitude > track.PeakMag) {
    track.PeakMag = magnitude;
    // n is inside the trace width here, so it fits 32 bits.
    track.PeakPos = static_cast<std::int32_t>(n);
  }
}

// The delay in ms of a peak found `peakPos` frames after its trigger.
double PulseDelayMs(std::int32_t peakPos);

// Adds the pulse of the current peak to the statistics and shows them.
void RecordPulse(MeasurementState& state, const PulseTrack& track, MeasurementView& view);

}  // namespace zizovez
