#include "PulseReport.h"

#include <algorithm>
#include <cinttypes>
#include <cmath>

namespace zizovez {

void DelayStatistics::Add(double delayMs) {
  ++N;
  const double step = delayMs - MeanMs;
  MeanMs += step / static_cast<double>(N);
  M2 += step * (delayMs - MeanMs);
  MinMs = N == 1 ? delayMs : std::min(MinMs, delayMs);
  MaxMs = N == 1 ? delayMs : std::max(MaxMs, delayMs);
}

double DelayStatistics::StdDev() const {
  return N > 1 ? std::sqrt(M2 / static_cast<double>(N - 1)) : 0.0;
}

CsvReport::CsvReport(std::FILE* out) : Out(out) {
  std::fprintf(Out, "%s\n", Header);
  std::fflush(Out);
}

void CsvReport::Pulse(const PulseRecord& p) {
  Stats.Add(p.DelayMs);
  std::fprintf(Out, "%" PRId32 ",%" PRId64 ",%" PRId32 ",%.6f,%.6f\n", p.Pulse, p.TriggerFrame,
               p.PeakOffset, p.DelayMs, p.MeanMs);
  // Rows go out as pulses are recorded, also into a pipe.
  std::fflush(Out);
}

std::string SummaryLine(const DelayStatistics& s) {
  char line[256];
  if (s.Count() == 0) {
    std::snprintf(line, sizeof line, "0 pulses");
  } else {
    std::snprintf(line, sizeof line,
                  "%" PRId64 " pulses, mean %.6f ms, std dev %.6f ms, min %.6f ms, max %.6f ms",
                  s.Count(), s.Mean(), s.StdDev(), s.Min(), s.Max());
  }
  return line;
}

}  // namespace zizovez
