#include <gtest/gtest.h>

#include <cmath>

#include "PulseQuality.h"
#include "PulseReport.h"

namespace zizovez {
namespace {

PulseShape Shape(std::int32_t peak, float mag, float level, std::int64_t last = 59) {
  PulseShape p;
  p.PeakPos = peak;
  p.PeakMag = mag;
  p.LevelBefore = level;
  p.LastSearched = last;
  p.Before = mag * 0.9f;
  p.After = mag * 0.9f;
  return p;
}

TEST(Classify, FlagsByTheStatedRules) {
  struct Case {
    const char* what;
    PulseShape shape;
    PulseFlag flag;
  } cases[] = {
      {"clear peak inside", Shape(30, 0.5f, 0.1f), PulseFlag::Ok},
      {"no audio at all", Shape(0, 0.0f, 0.0f), PulseFlag::Silent},
      {"exactly twice the level", Shape(30, 0.2f, 0.1f), PulseFlag::Weak},
      {"just above twice", Shape(30, 0.2001f, 0.1f), PulseFlag::Ok},
      {"first frame searched", Shape(1, 0.5f, 0.0f), PulseFlag::Edge},
      {"last frame searched", Shape(59, 0.5f, 0.0f), PulseFlag::Edge},
      {"last of a shorter search", Shape(47, 0.5f, 0.0f, 47), PulseFlag::Edge},
      {"weak before edge", Shape(59, 0.1f, 0.1f), PulseFlag::Weak},
  };
  for (const auto& c : cases) EXPECT_EQ(Classify(c.shape), c.flag) << c.what;
}

TEST(FinePeakPos, RecoversTheCentreOfAGaussianEnvelope) {
  for (const double centre : {29.0, 29.3, 28.51, 30.49}) {
    const auto g = [&](int n) { return static_cast<float>(std::exp(-0.5 * (n - centre) * (n - centre) / 9.0)); };
    const int peak = static_cast<int>(std::lround(centre));
    PulseShape p = Shape(peak, g(peak), 0.0f);
    p.Before = g(peak - 1);
    p.After = g(peak + 1);
    EXPECT_NEAR(FinePeakPos(p), centre, 1e-5) << centre;
  }
  PulseShape edge = Shape(59, 0.5f, 0.0f);
  EXPECT_EQ(FinePeakPos(edge), 59.0) << "no neighbour beyond the search: the whole frame";
}

TEST(Summarise, MeanSpreadExtremesAndMedian) {
  struct Case {
    std::vector<double> delays;
    DelaySummary expected;
  } cases[] = {
      {{}, {0, 0, 0, 0, 0, 0}},
      {{1.5}, {1, 1.5, 0, 1.5, 1.5, 1.5}},
      {{3, 1, 2}, {3, 2, 1, 1, 3, 2}},
      {{4, 1, 2, 3}, {4, 2.5, std::sqrt(5.0 / 3), 1, 4, 2.5}},
  };
  for (const auto& c : cases) {
    const DelaySummary s = Summarise(c.delays);
    EXPECT_EQ(s.Count, c.expected.Count);
    EXPECT_NEAR(s.Mean, c.expected.Mean, 1e-12);
    EXPECT_NEAR(s.StdDev, c.expected.StdDev, 1e-12);
    EXPECT_EQ(s.Min, c.expected.Min);
    EXPECT_EQ(s.Max, c.expected.Max);
    EXPECT_EQ(s.Median, c.expected.Median);
  }
}

TEST(PulseLog, SummarisesOkPulsesApartAndKeepsTheHistogramShort) {
  PulseLog log;
  for (int i = 0; i < 30; ++i) {
    PulseRecord p;
    p.PeakOffset = i % 3 == 0 ? 600 : 20;
    p.DelayMs = (p.PeakOffset - 18) / 11.025;
    p.Flag = i % 3 == 0 ? PulseFlag::Weak : PulseFlag::Ok;
    log.Add(p);
  }
  EXPECT_EQ(log.All().Count, 30);
  EXPECT_EQ(log.Ok().Count, 20);
  EXPECT_NEAR(log.Ok().Mean, 2 / 11.025, 1e-12);
  const std::string h = log.Histogram();
  EXPECT_LE(std::count(h.begin(), h.end(), '\n'), 41);
  EXPECT_NE(h.find("    20 ########################################"), std::string::npos) << h;
  EXPECT_NE(h.find("    10 ####################\n"), std::string::npos) << h;
}

}  // namespace
}  // namespace zizovez
