// What the measurer reports: one CSV row per pulse as it is recorded, and a
// closing summary of the delays.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "MeasureSession.h"

namespace zizovez {

// Count, mean, sample standard deviation, minimum and maximum, in double.
class DelayStatistics {
 public:
  void Add(double delayMs);
  std::int64_t Count() const { return N; }
  double Mean() const { return MeanMs; }
  double StdDev() const;
  double Min() const { return MinMs; }
  double Max() const { return MaxMs; }

 private:
  std::int64_t N = 0;
  double MeanMs = 0.0;
  double M2 = 0.0;  // sum of squared deviations (Welford)
  double MinMs = 0.0;
  double MaxMs = 0.0;
};

class CsvReport final : public PulseSink {
 public:
  static constexpr const char* Header = "pulse,trigger_frame,peak_offset,delay_ms,mean_ms";

  explicit CsvReport(std::FILE* out);
  void Pulse(const PulseRecord& pulse) override;
  const DelayStatistics& Statistics() const { return Stats; }

 private:
  std::FILE* Out;
  DelayStatistics Stats;
};

// "12 pulses, mean 1.088435 ms, std dev 0.000000 ms, min ... ms, max ... ms"
std::string SummaryLine(const DelayStatistics& stats);

}  // namespace zizovez
