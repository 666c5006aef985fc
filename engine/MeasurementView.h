// The engine's only way to the window: trace drawing, result labels, meters.
#pragma once

#include <cstdint>

namespace zizovez {

class MeasurementView {
 public:
  virtual ~MeasurementView() = default;

  // Once per block, before its first frame: latch the drawing geometry.
  virtual void BeginTraceBlock() = 0;
  // At a frame with SinceTrigger = 0; clearFirst is true while not Running.
  virtual void StartTrace(float magnitude, bool clearFirst) = 0;
  // At every frame with SinceTrigger >= 1: the current client width in pixels.
  virtual std::int32_t TraceWidth() = 0;
  // At a frame whose trace point 10 n - 180 lies inside the width.
  virtual void ExtendTrace(std::int64_t n, float magnitude) = 0;
  // After every recorded pulse: the new count (>= 1) and the mean delay in ms.
  virtual void ShowPulseStatistics(std::int32_t count, double meanDelay) = 0;
  // Once per block, after its last frame.
  virtual void ShowMeters(float trigLevel, bool rightOverload, bool leftOverload) = 0;
};

}  // namespace zizovez
