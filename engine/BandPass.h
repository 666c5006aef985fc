// Quadrature band-pass detector: a 37-tap in-phase/quadrature pair passing
// the harmonics 1..10 of 11025/37 Hz (about 298 Hz to 2980 Hz), whose
// magnitude follows the envelope of the receiver's audio, 18 frames late.
#pragma once

#include "MeasurementState.h"

namespace zizovez {

// Fills CosKernel and SinKernel. Called once before recording starts.
void DesignKernels(MeasurementState& state);

// Stores one left sample value in History and returns this frame's magnitude.
float BandPassMagnitude(MeasurementState& state, float l);

// The same for `count` consecutive frames at once, with identical results.
// `window` holds 36 + count sample values, oldest first: the 36 most recent
// values of History (see LoadHistory) followed by the new ones. Writes
// `count` magnitudes to `out` and leaves History and HistoryPos as `count`
// calls of BandPassMagnitude would.
void BandPassMagnitudes(MeasurementState& state, const float* window, int count, float* out);

// Copies the 36 most recent History values, oldest first, to `window`.
void LoadHistory(const MeasurementState& state, float* window);

}  // namespace zizovez
