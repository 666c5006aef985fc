// zizovez-measure: the delay measurement of the Zizovez window, run over a
// recording or the live sound input, for measuring at the bench later or
// testing receivers in a script; and test signals to check it with.
#include <array>
#include <atomic>
#include <climits>
#include <csignal>
#include <cstdio>
#include <memory>
#include <string>

#include <CLI/CLI.hpp>

#include "LiveCapture.h"
#include "MeasureSession.h"
#include "MeasurementState.h"
#include "Player.h"
#include "PulseReport.h"
#include "Recording.h"
#include "TestSignal.h"
#include "WavRecorder.h"

namespace {

using namespace zizovez;

constexpr const char* Program = "zizovez-measure";

constexpr const char* Description =
    "Measures the delay of a receiver in a recording, exactly as the Zizovez window\n"
    "does live: the right channel carries the trigger pulse, the left channel the\n"
    "receiver's audio. After every trigger the 300 Hz - 3 kHz envelope of the audio\n"
    "is followed for 59 frames (--window); the frame where it peaks, less the\n"
    "detector's lag of 18 frames, is the pulse's delay.\n"
    "\n"
    "The recording must be stereo at 11025 Hz (WAV, FLAC, AIFF or anything else\n"
    "libsndfile reads; samples are converted to 16 bits). Other rates are refused,\n"
    "not resampled: a resampler would reshape the trigger edge the measurement\n"
    "starts from. Measuring starts at the first frame, as if Start had been pressed\n"
    "before it; the start of the file is not taken for a trigger. With --live the\n"
    "default sound input is measured the same way, until Ctrl-C or --seconds.\n"
    "\n"
    "Output on standard output, one row per pulse as it is recorded (CSV with a\n"
    "header, or with --format json one JSON object per line and a closing summary\n"
    "object):\n"
    "  pulse          pulses counted so far, this one included\n"
    "  trigger_frame  0-based frame at which the pulse's trigger was detected\n"
    "  peak_offset    frames from the trigger to the envelope's peak\n"
    "  delay_ms       this pulse's delay, (peak_offset - 18) / 11.025 ms\n"
    "  mean_ms        the running mean delay, as the window shows it\n"
    "  time_s         the trigger's time, trigger_frame / 11025\n"
    "  peak_mag       the envelope at its peak (1.0: a full-scale in-band tone)\n"
    "  delay_fine_ms  the delay between frames, from a parabola through the\n"
    "                 logarithms of the envelope at the peak and its two neighbours\n"
    "  flag           ok; silent: no audio at all (the delay means nothing);\n"
    "                 weak: the peak is not more than twice the largest envelope of\n"
    "                 60 frames before the audio the search sees (6 dB); edge: the\n"
    "                 peak is on the first or last frame searched, so the true delay\n"
    "                 may lie outside\n"
    "A summary for all pulses and for ok pulses alone (count, mean, standard\n"
    "deviation, minimum, maximum, median) and a histogram go to standard error.\n"
    "\n"
    "Exit status: 0 when at least one pulse was ok, 1 when the run completed but no\n"
    "pulse was ok, 2 on errors (unreadable or unusable file, sound input failure, a\n"
    "recording that cannot be written). A file that ends before its header says is\n"
    "measured as far as it goes, with a warning.";

std::atomic<bool> Interrupted{false};

void Interrupt(int) { Interrupted.store(true); }

std::unique_ptr<PulseReport> MakeReport(const std::string& format) {
  if (format == "json") return std::make_unique<JsonReport>(stdout);
  return std::make_unique<CsvReport>(stdout);
}

int Outcome(const PulseReport& report) { return report.Log().OkCount() > 0 ? 0 : 1; }

int Measure(const std::string& path, const MeasureOptions& options, const std::string& format) {
  try {
    Recording recording(path);
    auto report = MakeReport(format);
    MeasureSession session(options, *report);
    std::array<std::uint8_t, BlockBytes> block;
    while (const int frames = recording.Read(block.data(), BlockFrames)) {
      session.Feed(std::span(block.data(), static_cast<std::size_t>(frames) * FrameBytes));
    }
    if (recording.EndedEarly()) {
      std::fprintf(stderr,
                   "%s: %s: warning: the recording ends after %lld of the %lld frames its "
                   "header announces; only those were measured\n",
                   Program, path.c_str(), static_cast<long long>(recording.FramesRead()),
                   static_cast<long long>(recording.DeclaredFrames()));
    }
    report->Finish(path, recording.EndedEarly());
    return Outcome(*report);
  } catch (const RecordingError& e) {
    std::fprintf(stderr, "%s: %s: %s\n", Program, path.c_str(), e.what());
    return 2;
  }
}

int MeasureLive(double seconds, const MeasureOptions& options, const std::string& format,
                const std::string& recordPath) {
  std::signal(SIGINT, Interrupt);
  std::signal(SIGTERM, Interrupt);
  WavRecorder recorder;
  if (!recordPath.empty() && !recorder.Open(recordPath)) {
    std::fprintf(stderr, "%s: %s\n", Program, recorder.Error().c_str());
    return 2;
  }
  auto report = MakeReport(format);
  MeasureSession session(options, *report);
  LiveCapture capture(session, recordPath.empty() ? nullptr : &recorder);
  const bool ok = capture.Run(seconds, Interrupted);
  recorder.Close();
  if (capture.LostFrames() > 0) {
    std::fprintf(stderr, "%s: warning: %llu frames were lost because no buffer was free\n", Program,
                 static_cast<unsigned long long>(capture.LostFrames()));
  }
  char source[64];
  std::snprintf(source, sizeof source, "live (%.1f s of audio)",
                static_cast<double>(session.FramesAnalysed()) / SampleRate);
  report->Finish(source, false);
  return ok ? Outcome(*report) : 2;
}

int Generate(const std::string& path, const TestSignalOptions& options) {
  try {
    const TestSignal signal = GenerateTestSignal(options);
    WriteTestSignal(path, signal);
    std::fprintf(stderr, "%s: wrote %s: %d pulses, %lld frames\n", Program, path.c_str(), options.Pulses,
                 static_cast<long long>(signal.Frames()));
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s: %s\n", Program, e.what());
    return 2;
  }
}

int Play(const TestSignalOptions& options, bool forever) {
  std::signal(SIGINT, Interrupt);
  std::signal(SIGTERM, Interrupt);
  try {
    std::string error;
    if (!PlayTestSignal(GenerateTestSignal(options), forever, Interrupted, error)) {
      std::fprintf(stderr, "%s: play: %s\n", Program, error.c_str());
      return 2;
    }
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s: %s\n", Program, e.what());
    return 2;
  }
}

void AddSignalOptions(CLI::App* command, TestSignalOptions& signal) {
  command->add_option("--delay", signal.DelaysMs, "Click delay(s) after the trigger in ms, used in turn")
      ->delimiter(',')
      ->capture_default_str();
  command->add_option("--pulses", signal.Pulses, "Number of trigger pulses")
      ->check(CLI::NonNegativeNumber)
      ->capture_default_str();
  command->add_option("--interval", signal.IntervalMs, "Time from one trigger to the next in ms")
      ->check(CLI::PositiveNumber)
      ->capture_default_str();
  command->add_option("--noise", signal.NoiseRms, "RMS of white noise on the left channel, of full scale")
      ->check(CLI::NonNegativeNumber)
      ->capture_default_str();
  command->add_option("--amplitude", signal.ClickAmplitude, "Peak of the click, of full scale")
      ->check(CLI::Range(0.0, 1.0))
      ->capture_default_str();
  command->add_flag("--bandpass", signal.BandPass,
                    "Pass the left channel through a 300 Hz - 3 kHz band-pass, like a receiver's audio chain");
  command->add_option("--seed", signal.Seed, "Seed of the noise")->capture_default_str();
}

}  // namespace

int main(int argc, char** argv) {
  // A full disk or a size limit is reported as a failed write, not a signal.
  std::signal(SIGXFSZ, SIG_IGN);

  CLI::App app(Description, Program);
  app.get_formatter()->column_width(30);

  std::string file;
  int width = 511;
  std::int64_t window = PulseFrames;
  std::string format = "csv";
  bool live = false;
  double seconds = 0.0;
  std::string record;
  app.add_option("FILE", file, "Recording to measure");
  CLI::Option* widthOption =
      app.add_option("--width", width,
                     "Client width in pixels that bounds the peak search, as in the window: frame n\n"
                     "is searched while 10 n - 180 < width (511: all 59 frames)")
          ->check(CLI::NonNegativeNumber)
          ->capture_default_str();
  app.add_option("--window", window,
                 "Frames searched after each trigger, up to 110250 (10 s), for receivers slower\n"
                 "than 3.7 ms; the lag of 18 frames is still taken off. Past what the width\n"
                 "allows, the width bound applies only when --width is given")
      ->check(CLI::Range(std::int64_t{1}, std::int64_t{110250}))
      ->capture_default_str();
  app.add_option("--format", format, "csv or json")->check(CLI::IsMember({"csv", "json"}))->capture_default_str();
  app.add_flag("--live", live, "Measure from the default sound input instead of a file");
  app.add_option("--seconds", seconds, "With --live: stop after this much audio (0: until Ctrl-C)")
      ->check(CLI::Range(0.0, 1e8));
  app.add_option("--record", record,
                 "With --live: also write every captured block, untouched, to this WAV file");

  TestSignalOptions signal;
  std::string output;
  CLI::App* generate = app.add_subcommand(
      "generate", "Write a test recording with a known delay: trigger steps on the right channel,\n"
                  "a band-limited click (1.5 kHz, 24 frames) on the left at each delay");
  generate->add_option("FILE", output, "WAV file to write (16-bit stereo, 11025 Hz)")->required();
  AddSignalOptions(generate, signal);

  TestSignalOptions playSignal;
  bool forever = false;
  CLI::App* play = app.add_subcommand(
      "play", "Play the same trigger and click through the default output device, sample-aligned\n"
              "on its two channels, until the pulses are out or Ctrl-C");
  AddSignalOptions(play, playSignal);
  play->add_flag("--forever", forever, "Repeat the pulses until Ctrl-C");

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    // --help and --version end here with 0; a wrong option is an error like any other.
    return app.exit(e) == 0 ? 0 : 2;
  }

  if (generate->parsed()) return Generate(output, signal);
  if (play->parsed()) return Play(playSignal, forever);

  MeasureOptions options;
  options.SearchFrames = window;
  // The window's width searches up to frame 69; a longer search is not bound
  // by it unless a width is asked for.
  options.Width = widthOption->count() > 0 || window <= 69 ? width : INT32_MAX;
  if (!record.empty() && !live) {
    std::fprintf(stderr, "%s: --record goes with --live\n", Program);
    return 2;
  }
  if (live) {
    if (!file.empty()) {
      std::fprintf(stderr, "%s: give either --live or a recording, not both\n", Program);
      return 2;
    }
    return MeasureLive(seconds, options, format, record);
  }
  if (file.empty()) {
    std::fprintf(stderr, "%s: no recording given\nRun with --help for more information.\n", Program);
    return 2;
  }
  return Measure(file, options, format);
}
