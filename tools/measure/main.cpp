// zizovez-measure: the delay measurement of the Zizovez window, run over a
// recording, for measuring at the bench later or testing receivers in a script.
#include <array>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <string>

#include <CLI/CLI.hpp>

#include "LiveCapture.h"
#include "MeasureSession.h"
#include "MeasurementState.h"
#include "PulseReport.h"
#include "Recording.h"
#include "TestSignal.h"

namespace {

using namespace zizovez;

constexpr const char* Program = "zizovez-measure";

constexpr const char* Description =
    "Measures the delay of a receiver in a recording, exactly as the Zizovez window\n"
    "does live: the right channel carries the trigger pulse, the left channel the\n"
    "receiver's audio. After every trigger the 300 Hz - 3 kHz envelope of the audio\n"
    "is followed for 59 frames; the frame where it peaks, less the detector's lag of\n"
    "18 frames, is the pulse's delay.\n"
    "\n"
    "The recording must be stereo at 11025 Hz (WAV, FLAC, AIFF or anything else\n"
    "libsndfile reads; samples are converted to 16 bits). Other rates are refused,\n"
    "not resampled: a resampler would reshape the trigger edge the measurement\n"
    "starts from. Measuring starts at the first frame, as if Start had been pressed\n"
    "before it; the start of the file is not taken for a trigger.\n"
    "\n"
    "Output, CSV on standard output, one row per pulse as it is recorded:\n"
    "  pulse          pulses counted so far, this one included\n"
    "  trigger_frame  0-based frame of the file at which the pulse's trigger was detected\n"
    "  peak_offset    frames from the trigger to the envelope's peak\n"
    "  delay_ms       this pulse's delay, (peak_offset - 18) / 11.025 ms\n"
    "  mean_ms        the running mean delay, as the window shows it\n"
    "A summary (pulses, mean, standard deviation, minimum, maximum) goes to\n"
    "standard error at the end.\n"
    "\n"
    "With --live the default sound input is measured the same way, from the\n"
    "first block it delivers, until Ctrl-C or the end of --seconds.\n"
    "\n"
    "Exit status: 0 when the file was measured, 2 when it could not be read or\n"
    "is not a usable recording, or when the sound input failed. A file that ends\n"
    "before its header says is measured as far as it goes, with a warning.";

int Measure(const std::string& path, int width) {
  try {
    Recording recording(path);
    CsvReport report(stdout);
    MeasureSession session(width, report);
    std::array<std::uint8_t, BlockBytes> block;
    while (const int frames = recording.Read(block.data(), BlockFrames)) {
      session.Feed(std::span(block.data(), static_cast<std::size_t>(frames) * FrameBytes));
    }
    std::string summary = SummaryLine(report.Statistics());
    if (recording.EndedEarly()) {
      std::fprintf(stderr,
                   "%s: %s: warning: the recording ends after %lld of the %lld frames its "
                   "header announces; only those were measured\n",
                   Program, path.c_str(), static_cast<long long>(recording.FramesRead()),
                   static_cast<long long>(recording.DeclaredFrames()));
      summary += " (incomplete recording)";
    }
    std::fprintf(stderr, "%s: %s: %s\n", Program, path.c_str(), summary.c_str());
    return 0;
  } catch (const RecordingError& e) {
    std::fprintf(stderr, "%s: %s: %s\n", Program, path.c_str(), e.what());
    return 2;
  }
}

std::atomic<bool> Interrupted{false};

void Interrupt(int) { Interrupted.store(true); }

int MeasureLive(double seconds, int width) {
  std::signal(SIGINT, Interrupt);
  std::signal(SIGTERM, Interrupt);
  CsvReport report(stdout);
  MeasureSession session(width, report);
  LiveCapture capture(session);
  const bool ok = capture.Run(seconds, Interrupted);
  if (capture.LostFrames() > 0) {
    std::fprintf(stderr, "%s: warning: %llu frames were lost because no buffer was free\n", Program,
                 static_cast<unsigned long long>(capture.LostFrames()));
  }
  std::fprintf(stderr, "%s: live: %s (%.1f s of audio)\n", Program, SummaryLine(report.Statistics()).c_str(),
               static_cast<double>(session.FramesAnalysed()) / SampleRate);
  return ok ? 0 : 2;
}

int Generate(const std::string& path, const TestSignalOptions& options) {
  try {
    const TestSignal signal = GenerateTestSignal(options);
    WriteTestSignal(path, signal);
    std::fprintf(stderr, "%s: wrote %s: %d pulses, %lld frames\n", Program, path.c_str(),
                 options.Pulses, static_cast<long long>(signal.Frames()));
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s: %s\n", Program, e.what());
    return 2;
  }
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app(Description, Program);
  app.get_formatter()->column_width(28);

  std::string file;
  int width = 511;
  app.add_option("FILE", file, "Recording to measure");
  app.add_option("--width", width,
                 "Client width in pixels that bounds the peak search, as in the window: frame n\n"
                 "is searched while 10 n - 180 < width (511: all 59 frames)")
      ->check(CLI::NonNegativeNumber)
      ->capture_default_str();

  bool live = false;
  double seconds = 0.0;
  app.add_flag("--live", live,
               "Measure from the default sound input instead of a file, until Ctrl-C or --seconds");
  app.add_option("--seconds", seconds, "With --live: stop after this much audio (0: no limit)")
      ->check(CLI::NonNegativeNumber);

  TestSignalOptions signal;
  std::string output;
  CLI::App* generate = app.add_subcommand(
      "generate", "Write a test recording with a known delay: trigger steps on the right channel,\n"
                  "a band-limited click (1.5 kHz, 24 frames) on the left at each delay");
  generate->add_option("FILE", output, "WAV file to write (16-bit stereo, 11025 Hz)")->required();
  generate->add_option("--delay", signal.DelaysMs, "Click delay(s) after the trigger in ms, used in turn")
      ->delimiter(',')
      ->capture_default_str();
  generate->add_option("--pulses", signal.Pulses, "Number of trigger pulses")
      ->check(CLI::NonNegativeNumber)
      ->capture_default_str();
  generate->add_option("--interval", signal.IntervalMs, "Time from one trigger to the next in ms")
      ->check(CLI::PositiveNumber)
      ->capture_default_str();
  generate->add_option("--noise", signal.NoiseRms, "RMS of white noise on the left channel, of full scale")
      ->check(CLI::NonNegativeNumber)
      ->capture_default_str();
  generate->add_option("--amplitude", signal.ClickAmplitude, "Peak of the click, of full scale")
      ->check(CLI::Range(0.0, 1.0))
      ->capture_default_str();
  generate->add_option("--seed", signal.Seed, "Seed of the noise")->capture_default_str();

  CLI11_PARSE(app, argc, argv);

  if (generate->parsed()) {
    return Generate(output, signal);
  }
  if (live) {
    if (!file.empty()) {
      std::fprintf(stderr, "%s: give either --live or a recording, not both\n", Program);
      return 2;
    }
    return MeasureLive(seconds, width);
  }
  if (file.empty()) {
    std::fprintf(stderr, "%s: no recording given\nRun with --help for more information.\n", Program);
    return 2;
  }
  return Measure(file, width);
}
