// A MeasurementView that records every call, for checking what the engine
// asks of the window and in which order.
#pragma once

#include <cstdint>
#include <vector>

#include "MeasurementView.h"

namespace zizovez::test {

struct ViewCall {
  enum Kind { Begin, Start, Width, Extend, Statistics, Meters } kind;
  std::int64_t n = 0;          // Extend: SinceTrigger; Statistics: count
  float magnitude = 0.0f;      // Start, Extend; Meters: trigger level
  bool flag = false;           // Start: clearFirst; Meters: right overload
  bool flag2 = false;          // Meters: left overload
  double mean = 0.0;           // Statistics
};

class RecordingView : public MeasurementView {
 public:
  std::int32_t width = 511;
  std::vector<ViewCall> calls;

  void BeginTraceBlock() override { calls.push_back({ViewCall::Begin}); }
  void StartTrace(float m, bool clearFirst) override {
    calls.push_back({ViewCall::Start, 0, m, clearFirst});
  }
  std::int32_t TraceWidth() override {
    calls.push_back({ViewCall::Width});
    return width;
  }
  void ExtendTrace(std::int64_t n, float m) override { calls.push_back({ViewCall::Extend, n, m}); }
  void ShowPulseStatistics(std::int32_t count, double mean) override {
    calls.push_back({ViewCall::Statistics, count, 0.0f, false, false, mean});
  }
  void ShowMeters(float level, bool right, bool left) override {
    calls.push_back({ViewCall::Meters, 0, level, right, left});
  }

  std::vector<ViewCall> Only(ViewCall::Kind kind) const {
    std::vector<ViewCall> out;
    for (const auto& c : calls)
      if (c.kind == kind) out.push_back(c);
    return out;
  }
};

}  // namespace zizovez::test
