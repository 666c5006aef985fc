// How far a pulse's delay can be trusted, and its delay between frames.
#pragma once

#include <cstdint>

namespace zizovez {

enum class PulseFlag {
  Ok,
  Weak,    // the peak is not clearly above the audio's level before the trigger
  Edge,    // the peak lies on the first or last frame searched
  Silent,  // no magnitude above zero: the delay means nothing
};

const char* FlagName(PulseFlag flag);

// A peak counts as clear when it is more than twice (6 dB above) the largest
// magnitude of 60 frames before the trigger: those whose audio all comes
// before any audio the search sees.
inline constexpr double WeakRatio = 2.0;
inline constexpr int LevelFrames = 60;

struct PulseShape {
  std::int32_t PeakPos = 0;        // frames from the trigger to the largest magnitude
  float PeakMag = 0.0f;
  std::int64_t LastSearched = 0;   // the last frame searched (the first is 1)
  float Before = 0.0f;             // magnitude one frame before the peak
  float After = 0.0f;              // and one frame after it
  float LevelBefore = 0.0f;        // largest magnitude of the frames before the trigger
};

PulseFlag Classify(const PulseShape& pulse);

// The peak's position between frames, by fitting a parabola through the
// logarithms of the three magnitudes around it (exact for a Gaussian
// envelope); the whole frame when the peak lies on an edge of the search.
double FinePeakPos(const PulseShape& pulse);

}  // namespace zizovez
