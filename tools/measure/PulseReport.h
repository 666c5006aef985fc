// What the measurer reports: a row per pulse as it is recorded (CSV or JSON
// Lines), and a closing summary of the delays.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "MeasureSession.h"

namespace zizovez {

// Count, mean, sample standard deviation, minimum, maximum and median.
struct DelaySummary {
  std::int64_t Count = 0;
  double Mean = 0.0;
  double StdDev = 0.0;
  double Min = 0.0;
  double Max = 0.0;
  double Median = 0.0;
};

DelaySummary Summarise(std::vector<double> delaysMs);

// Every pulse's delay and flag, for the summaries.
class PulseLog {
 public:
  void Add(const PulseRecord& pulse);
  DelaySummary All() const { return Summarise(Delays); }
  DelaySummary Ok() const { return Summarise(OkDelays); }
  std::int64_t OkCount() const { return static_cast<std::int64_t>(OkDelays.size()); }
  // One line per frame of delay (or per group of frames, for at most 40
  // lines), from the shortest to the longest: the delay where it starts, the
  // number of pulses and a bar of '#' (40 for the most common).
  std::string Histogram() const;

 private:
  std::vector<double> Delays;
  std::vector<double> OkDelays;
  std::vector<std::int64_t> Offsets;  // peak offsets, for the histogram
};

class PulseReport : public PulseSink {
 public:
  void Pulse(const PulseRecord& pulse) override;
  const PulseLog& Log() const { return Pulses; }
  // The closing summary; `incomplete` marks a recording that ended early.
  virtual void Finish(const std::string& source, bool incomplete);

 protected:
  virtual void Write(const PulseRecord& pulse) = 0;
  PulseLog Pulses;
};

class CsvReport final : public PulseReport {
 public:
  static constexpr const char* Header =
      "pulse,trigger_frame,peak_offset,delay_ms,mean_ms,time_s,peak_mag,delay_fine_ms,flag";
  explicit CsvReport(std::FILE* out);

 protected:
  void Write(const PulseRecord& pulse) override;

 private:
  std::FILE* Out;
};

// One JSON object per pulse and a closing summary object, a line each.
class JsonReport final : public PulseReport {
 public:
  explicit JsonReport(std::FILE* out) : Out(out) {}
  void Finish(const std::string& source, bool incomplete) override;

 protected:
  void Write(const PulseRecord& pulse) override;

 private:
  std::FILE* Out;
};

// "12 pulses, mean 1.088435 ms, std dev 0.000000 ms, min ... ms, max ... ms, median ... ms"
std::string SummaryLine(const DelaySummary& summary);

}  // namespace zizovez
