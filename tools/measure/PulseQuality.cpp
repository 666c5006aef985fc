#include "PulseQuality.h"

#include <cmath>

namespace zizovez {

const char* FlagName(PulseFlag flag) {
  switch (flag) {
    case PulseFlag::Ok: return "ok";
    case PulseFlag::Weak: return "weak";
    case PulseFlag::Edge: return "edge";
    case PulseFlag::Silent: return "silent";
  }
  return "?";
}

PulseFlag Classify(const PulseShape& p) {
  if (!(p.PeakMag > 0.0f)) return PulseFlag::Silent;
  if (!(p.PeakMag > WeakRatio * p.LevelBefore)) return PulseFlag::Weak;
  if (p.PeakPos <= 1 || p.PeakPos >= p.LastSearched) return PulseFlag::Edge;
  return PulseFlag::Ok;
}

double FinePeakPos(const PulseShape& p) {
  const double whole = p.PeakPos;
  if (p.PeakPos <= 1 || p.PeakPos >= p.LastSearched || !(p.Before > 0.0f) || !(p.After > 0.0f)) return whole;
  const double a = std::log(static_cast<double>(p.Before));
  const double b = std::log(static_cast<double>(p.PeakMag));
  const double c = std::log(static_cast<double>(p.After));
  const double curvature = a - 2 * b + c;
  if (!(curvature < 0.0)) return whole;
  const double offset = 0.5 * (a - c) / curvature;
  return whole + std::fmax(-0.5, std::fmin(0.5, offset));
}

}  // namespace zizovez
