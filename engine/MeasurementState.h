// The measurement state: what the engine carries from one frame and one
// capture block to the next.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zizovez {

inline constexpr int KernelTaps = 37;         // taps of each band-pass kernel
inline constexpr int DetectorLag = 18;        // frames the magnitude lags the audio
inline constexpr int PulseFrames = 59;        // frames searched after a trigger
inline constexpr int SampleRate = 11025;      // frames per second
inline constexpr int BlockFrames = 1024;      // frames in one capture block
inline constexpr int FrameBytes = 4;          // left then right, 16-bit LE each
inline constexpr int BlockBytes = BlockFrames * FrameBytes;

// Fields the main window owns. Every field starts zero; the window relies on
// that (PulseCount and DelaySum are only cleared by Start).
struct MeasurementState {
  float TrigLevel = 0.0f;               // peak-hold level of the trigger's first difference
  float CosKernel[KernelTaps] = {};     // in-phase kernel
  float SinKernel[KernelTaps] = {};     // quadrature kernel
  float History[KernelTaps] = {};       // ring of the last 37 left sample values
  std::int32_t HistoryPos = 0;          // next write slot; between calls the oldest value
  bool Running = false;                 // measurement switched on
  std::int32_t PulseCount = 0;          // pulses recorded since Start
  float DelaySum = 0.0f;                // sum of recorded delays in ms, single precision
};

// Values that live as long as the program, not the window: they are never
// reset by Start or by the window's creation.
struct PulseTrack {
  float PrevRight = 0.0f;               // right sample value of the previous frame
  // Frames since the last trigger (0 at the trigger frame). Held in 64 bits so
  // that it, and the trace abscissa built from it, never wraps.
  std::int64_t SinceTrigger = 0;
  std::int32_t PeakPos = 0;             // SinceTrigger value of the largest magnitude
  float PeakMag = 0.0f;                 // that largest magnitude
};

}  // namespace zizovez
