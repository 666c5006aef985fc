// Collects the pulses a MeasureSession reports.
#pragma once

#include <vector>

#include "MeasureSession.h"

namespace zizovez::test {

struct PulseList : PulseSink {
  std::vector<PulseRecord> pulses;
  void Pulse(const PulseRecord& p) override { pulses.push_back(p); }
};

}  // namespace zizovez::test
