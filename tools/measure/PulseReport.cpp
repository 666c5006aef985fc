#include "PulseReport.h"

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <map>

#include "DelayEstimator.h"

namespace zizovez {

DelaySummary Summarise(std::vector<double> d) {
  DelaySummary s;
  s.Count = static_cast<std::int64_t>(d.size());
  if (d.empty()) return s;
  double mean = 0.0, m2 = 0.0;
  for (std::size_t i = 0; i < d.size(); ++i) {  // Welford: steady over many pulses
    const double step = d[i] - mean;
    mean += step / static_cast<double>(i + 1);
    m2 += step * (d[i] - mean);
  }
  s.Mean = mean;
  s.StdDev = d.size() > 1 ? std::sqrt(m2 / static_cast<double>(d.size() - 1)) : 0.0;
  std::sort(d.begin(), d.end());
  s.Min = d.front();
  s.Max = d.back();
  const std::size_t half = d.size() / 2;
  s.Median = d.size() % 2 == 1 ? d[half] : 0.5 * (d[half - 1] + d[half]);
  return s;
}

void PulseLog::Add(const PulseRecord& p) {
  Delays.push_back(p.DelayMs);
  Offsets.push_back(p.PeakOffset);
  if (p.Flag == PulseFlag::Ok) OkDelays.push_back(p.DelayMs);
}

std::string PulseLog::Histogram() const {
  if (Offsets.empty()) return "";
  const auto [lo, hi] = std::minmax_element(Offsets.begin(), Offsets.end());
  // One bar per frame of delay, or per group of frames when they would make
  // more than 40 bars.
  const std::int64_t width = (*hi - *lo + 40) / 40;
  std::map<std::int64_t, std::int64_t> counts;
  for (const auto o : Offsets) ++counts[(o - *lo) / width];
  std::int64_t most = 0;
  for (const auto& [bin, n] : counts) most = std::max(most, n);
  std::string text;
  char line[128];
  for (std::int64_t bin = 0; bin <= (*hi - *lo) / width; ++bin) {
    const std::int64_t n = counts.count(bin) != 0 ? counts.at(bin) : 0;
    const auto bar = static_cast<std::size_t>((n * 40 + most - 1) / most);
    const auto from = static_cast<std::int32_t>(*lo + bin * width);
    std::snprintf(line, sizeof line, "%10.3f ms %6" PRId64 " ", PulseDelayMs(from), n);
    text += line + std::string(bar, '#') + "\n";
  }
  return text;
}

void PulseReport::Pulse(const PulseRecord& pulse) {
  Pulses.Add(pulse);
  Write(pulse);
}

void PulseReport::Finish(const std::string& source, bool incomplete) {
  const std::string mark = incomplete ? " (incomplete recording)" : "";
  std::fprintf(stderr, "zizovez-measure: %s: all pulses: %s%s\n", source.c_str(), SummaryLine(Pulses.All()).c_str(),
               mark.c_str());
  std::fprintf(stderr, "zizovez-measure: %s: ok pulses: %s\n", source.c_str(), SummaryLine(Pulses.Ok()).c_str());
  std::fputs(Pulses.Histogram().c_str(), stderr);
}

CsvReport::CsvReport(std::FILE* out) : Out(out) {
  std::fprintf(Out, "%s\n", Header);
  std::fflush(Out);
}

void CsvReport::Write(const PulseRecord& p) {
  std::fprintf(Out, "%" PRId32 ",%" PRId64 ",%" PRId32 ",%.6f,%.6f,%.6f,%.6f,%.6f,%s\n", p.Pulse, p.TriggerFrame,
               p.PeakOffset, p.DelayMs, p.MeanMs, p.TimeS, static_cast<double>(p.PeakMag), p.DelayFineMs,
               FlagName(p.Flag));
  // Rows go out as pulses are recorded, also into a pipe.
  std::fflush(Out);
}

void JsonReport::Write(const PulseRecord& p) {
  std::fprintf(Out,
               "{\"pulse\":%" PRId32 ",\"trigger_frame\":%" PRId64 ",\"peak_offset\":%" PRId32
               ",\"delay_ms\":%.6f,\"mean_ms\":%.6f,\"time_s\":%.6f,\"peak_mag\":%.6f,\"delay_fine_ms\":%.6f,"
               "\"flag\":\"%s\"}\n",
               p.Pulse, p.TriggerFrame, p.PeakOffset, p.DelayMs, p.MeanMs, p.TimeS, static_cast<double>(p.PeakMag),
               p.DelayFineMs, FlagName(p.Flag));
  std::fflush(Out);
}

namespace {

std::string SummaryObject(const DelaySummary& s) {
  char text[320];
  std::snprintf(text, sizeof text,
                "{\"count\":%" PRId64 ",\"mean_ms\":%.6f,\"std_ms\":%.6f,\"min_ms\":%.6f,\"max_ms\":%.6f,"
                "\"median_ms\":%.6f}",
                s.Count, s.Mean, s.StdDev, s.Min, s.Max, s.Median);
  return text;
}

}  // namespace

void JsonReport::Finish(const std::string& source, bool incomplete) {
  std::fprintf(Out, "{\"summary\":{\"all\":%s,\"ok\":%s,\"complete\":%s}}\n", SummaryObject(Pulses.All()).c_str(),
               SummaryObject(Pulses.Ok()).c_str(), incomplete ? "false" : "true");
  std::fflush(Out);
  PulseReport::Finish(source, incomplete);
}

std::string SummaryLine(const DelaySummary& s) {
  char line[256];
  if (s.Count == 0) {
    std::snprintf(line, sizeof line, "0 pulses");
  } else {
    std::snprintf(line, sizeof line,
                  "%" PRId64 " pulses, mean %.6f ms, std dev %.6f ms, min %.6f ms, max %.6f ms, median %.6f ms",
                  s.Count, s.Mean, s.StdDev, s.Min, s.Max, s.Median);
  }
  return line;
}

}  // namespace zizovez
