#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <vector>

#include "RunProgram.h"
#include "TempDir.h"

namespace zizovez {
namespace {

using test::TempDir;

using test::Outcome;

Outcome Measure(const TempDir& dir, const std::string& args) {
  return test::RunProgram(ZIZOVEZ_MEASURE_BIN, args, dir / "stderr.txt");
}

TEST(CommandLine, GeneratedRecordingIsMeasuredAsCsv) {
  TempDir dir;
  const Outcome gen = Measure(dir, "generate --delay 1.0,2.0 --pulses 4 " + dir / "t.wav");
  ASSERT_EQ(gen.status, 0) << gen.err;
  const Outcome run = Measure(dir, dir / "t.wav");
  EXPECT_EQ(run.status, 0) << run.err;
  // The first five columns, then the per-pulse quality.
  EXPECT_EQ(run.out,
            "pulse,trigger_frame,peak_offset,delay_ms,mean_ms,time_s,peak_mag,delay_fine_ms,flag\n"
            "1,1103,29,0.997732,0.997732,0.100045,0.499029,0.999896,ok\n"
            "2,3859,40,1.995465,1.496599,0.350023,0.499004,1.999882,ok\n"
            "3,6615,29,0.997732,1.330310,0.600000,0.499029,0.999896,ok\n"
            "4,9371,40,1.995465,1.496599,0.849977,0.499004,1.999882,ok\n");
  EXPECT_NE(run.err.find("all pulses: 4 pulses, mean 1.496599 ms, std dev 0.576041 ms, min 0.997732 ms, "
                         "max 1.995465 ms, median 1.496599 ms"),
            std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find("ok pulses: 4 pulses"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("     0.998 ms      2 ########################################\n"), std::string::npos)
      << run.err;
}

TEST(CommandLine, FailuresNameTheFileAndExitWithTwo) {
  TempDir dir;
  std::ofstream(dir / "notes.txt") << "hello\n";
  struct Case {
    std::string args;
    std::string message;
  } cases[] = {
      {dir / "nope.wav", dir / "nope.wav: cannot read it as audio"},
      {dir / "notes.txt", dir / "notes.txt: cannot read it as audio"},
      {"", "no recording given"},
      {"--width -3 " + dir / "notes.txt", "--width"},
      {"generate --pulses 2 /nonexistent-folder/x.wav", "/nonexistent-folder/x.wav: cannot write"},
      {"generate --delay nan " + dir / "x.wav", "a delay must lie within +-60000 ms"},
      {"generate --pulses 100000 --interval 1000 " + dir / "x.wav", "at most 4 hours of audio"},
  };
  for (const auto& c : cases) {
    const Outcome run = Measure(dir, c.args);
    EXPECT_EQ(run.status, 2) << c.args;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << c.args << ": " << run.err;
    EXPECT_EQ(run.out.find("pulse,"), std::string::npos) << c.args;
  }
}

TEST(CommandLine, CutOffRecordingWarnsAndMarksTheSummary) {
  TempDir dir;
  ASSERT_EQ(Measure(dir, "generate --pulses 6 " + dir / "t.wav").status, 0);
  std::ifstream in(dir / "t.wav", std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), {});
  std::ofstream(dir / "cut.wav", std::ios::binary) << bytes.substr(0, bytes.size() / 2);
  const Outcome run = Measure(dir, dir / "cut.wav");
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.err.find("cut.wav: warning: the recording ends after"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("(incomplete recording)"), std::string::npos) << run.err;
}

TEST(CommandLine, JsonLinesCarryTheSameFieldsAndASummary) {
  TempDir dir;
  ASSERT_EQ(Measure(dir, "generate --delay 1.0 --pulses 3 " + dir / "t.wav").status, 0);
  const Outcome run = Measure(dir, "--format json " + dir / "t.wav");
  EXPECT_EQ(run.status, 0);
  std::istringstream lines(run.out);
  std::vector<std::string> rows;
  for (std::string line; std::getline(lines, line);) rows.push_back(line);
  ASSERT_EQ(rows.size(), 4u) << run.out;
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(rows[i].rfind("{\"pulse\":" + std::to_string(i + 1) + ",", 0), 0u) << rows[i];
    for (const char* key : {"\"trigger_frame\":", "\"peak_offset\":29,", "\"delay_ms\":0.997732,", "\"mean_ms\":",
                            "\"time_s\":", "\"peak_mag\":", "\"delay_fine_ms\":", "\"flag\":\"ok\"}"}) {
      EXPECT_NE(rows[i].find(key), std::string::npos) << key << " in " << rows[i];
    }
  }
  EXPECT_EQ(rows[3].rfind("{\"summary\":{\"all\":{\"count\":3,\"mean_ms\":0.997732,", 0), 0u) << rows[3];
  EXPECT_NE(rows[3].find("\"ok\":{\"count\":3,"), std::string::npos) << rows[3];
  EXPECT_NE(rows[3].find("\"complete\":true}}"), std::string::npos) << rows[3];
}

TEST(CommandLine, ExitStatusSaysWhetherAnyPulseWasOk) {
  TempDir dir;
  ASSERT_EQ(Measure(dir, "generate --amplitude 0 --pulses 3 " + dir / "silent.wav").status, 0);
  ASSERT_EQ(Measure(dir, "generate --pulses 3 " + dir / "good.wav").status, 0);
  const Outcome silent = Measure(dir, dir / "silent.wav");
  EXPECT_EQ(silent.status, 1);
  EXPECT_NE(silent.out.find(",silent\n"), std::string::npos);
  EXPECT_NE(silent.err.find("ok pulses: 0 pulses"), std::string::npos) << silent.err;
  EXPECT_EQ(Measure(dir, dir / "good.wav").status, 0);
}

TEST(CommandLine, LongWindowIsBoundByTheWidthOnlyWhenAsked) {
  TempDir dir;
  ASSERT_EQ(Measure(dir, "generate --delay 50 --pulses 2 --interval 300 " + dir / "slow.wav").status, 0);
  const Outcome free = Measure(dir, "--window 700 " + dir / "slow.wav");
  EXPECT_EQ(free.status, 0);
  EXPECT_NE(free.out.find(",569,49.977324,"), std::string::npos) << free.out;
  const Outcome bound = Measure(dir, "--window 700 --width 511 " + dir / "slow.wav");
  EXPECT_EQ(bound.status, 1) << "the peak lies beyond the width: no pulse is ok";
  EXPECT_EQ(bound.out.find(",569,"), std::string::npos) << bound.out;
}

TEST(CommandLine, HelpExplainsTheColumns) {
  TempDir dir;
  const Outcome run = Measure(dir, "--help");
  EXPECT_EQ(run.status, 0);
  for (const char* word : {"trigger_frame", "peak_offset", "delay_ms", "mean_ms", "time_s", "peak_mag", "delay_fine_ms",
                           "weak", "edge", "silent", "11025 Hz", "Exit status", "--window", "--format", "--record"}) {
    EXPECT_NE(run.out.find(word), std::string::npos) << word;
  }
}

}  // namespace
}  // namespace zizovez
