#include "DelayEstimator.h"

namespace zizovez {

double PulseDelayMs(std::int32_t peakPos) {
  return (static_cast<double>(peakPos) - DetectorLag) * 1000.0 * (1.0 / SampleRate);
}

void RecordPulse(MeasurementState& state, const PulseTrack& track, MeasurementView& view) {
  const double delay = PulseDelayMs(track.PeakPos);
  state.DelaySum = static_cast<float>(static_cast<double>(state.DelaySum) + delay);
  state.PulseCount += 1;
  view.ShowPulseStatistics(state.PulseCount,
                           static_cast<double>(state.DelaySum) / state.PulseCount);
}

}  // namespace zizovez
