// Trigger detector: a peak-hold level of the right channel's first
// difference, decaying slowly; a frame whose difference comes within 5 % of
// the held level is a trigger.
#pragma once

#include "MeasurementState.h"

namespace zizovez {

inline constexpr double TrigDecay = 0.99998;    // per frame: halves in about 3.14 s
inline constexpr double TrigFraction = 0.95;

// The decision alone: updates the held level and the previous sample and
// says whether this frame is a trigger. Inline: it runs for every frame.
inline bool TriggerDecision(float& trigLevel, float& prevRight, float r) {
  const float d = r - prevRight;  // signed: a rising edge is positive
  trigLevel = static_cast<float>(static_cast<double>(trigLevel) * TrigDecay);
  if (d > trigLevel) {
    trigLevel = d;
  }
  prevRight = r;
  // The product stays in double: it is not rounded to single before comparing.
  return static_cast<double>(d) > TrigFraction * static_cast<double>(trigLevel);
}

// r is the right sample value of this frame. Updates TrigLevel and PrevRight;
// on a trigger sets SinceTrigger to 0 and returns true.
inline bool DetectTrigger(MeasurementState& state, PulseTrack& track, float r) {
  const bool trigger = TriggerDecision(state.TrigLevel, track.PrevRight, r);
  if (trigger) {
    track.SinceTrigger = 0;
  }
  return trigger;
}

}  // namespace zizovez
