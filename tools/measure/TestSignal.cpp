#include "TestSignal.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <stdexcept>

#include <sndfile.h>

#include "FrameCodec.h"
#include "MeasurementState.h"

namespace zizovez {
namespace {

constexpr double Pi = 3.14159265358979323846;

std::int16_t ToSample(double v) {
  const double scaled = std::round(v * 32768.0);
  return static_cast<std::int16_t>(std::clamp(scaled, -32768.0, 32767.0));
}

std::int64_t MsToFrames(double ms) { return std::llround(ms * SampleRate / 1000.0); }

// A second-order section (Butterworth high- or low-pass), run over `x` in place.
void Biquad(std::vector<double>& x, double hz, bool highPass) {
  const double w = 2.0 * Pi * hz / SampleRate;
  const double alpha = std::sin(w) / (2.0 * std::sqrt(0.5));
  const double c = std::cos(w);
  const double a0 = 1.0 + alpha;
  const double b0 = (highPass ? (1.0 + c) : (1.0 - c)) / 2.0 / a0;
  const double b1 = (highPass ? -(1.0 + c) : (1.0 - c)) / a0;
  const double b2 = b0;
  const double a1 = -2.0 * c / a0;
  const double a2 = (1.0 - alpha) / a0;
  double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
  for (double& v : x) {
    const double y = b0 * v + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
    x2 = x1;
    x1 = v;
    y2 = y1;
    y1 = y;
    v = y;
  }
}

}  // namespace

TestSignal GenerateTestSignal(const TestSignalOptions& o) {
  if (o.Pulses < 0 || o.DelaysMs.empty() || !(o.IntervalMs > 0.0) || !(o.LeadMs >= 0.0)) {
    throw std::invalid_argument("test signal: pulses, delays, interval or lead out of range");
  }
  for (const double d : o.DelaysMs) {
    if (!(std::fabs(d) <= MaxDelayMs)) {
      throw std::invalid_argument("test signal: a delay must lie within +-" + std::to_string(int(MaxDelayMs)) + " ms");
    }
  }
  if ((2 * o.LeadMs + o.Pulses * o.IntervalMs) / 1000.0 > MaxSeconds) {
    throw std::invalid_argument("test signal: at most " + std::to_string(int(MaxSeconds / 3600)) +
                                " hours of audio at a time");
  }
  const std::int64_t interval = MsToFrames(o.IntervalMs);
  const std::int64_t lead = MsToFrames(o.LeadMs);
  const std::int64_t hold = std::max<std::int64_t>(1, std::min<std::int64_t>(MsToFrames(20.0), interval / 2));
  const std::int64_t frames = 2 * lead + o.Pulses * interval;

  std::vector<double> left(static_cast<std::size_t>(frames), 0.0);
  TestSignal signal;
  signal.Samples.assign(static_cast<std::size_t>(2 * frames), 0);

  for (int p = 0; p < o.Pulses; ++p) {
    const std::int64_t trigger = lead + p * interval;
    const double delay = o.DelaysMs[static_cast<std::size_t>(p) % o.DelaysMs.size()];
    signal.TriggerFrames.push_back(trigger);
    signal.DelaysMs.push_back(delay);
    const std::int16_t high = ToSample(o.TriggerLevel);
    for (std::int64_t f = trigger; f < std::min(frames, trigger + hold); ++f) {
      signal.Samples[static_cast<std::size_t>(2 * f + 1)] = high;
    }
    // The click's centre may fall between frames: each frame samples the
    // continuous burst at its own time.
    const double centre = static_cast<double>(trigger) + delay * SampleRate / 1000.0;
    const auto first = static_cast<std::int64_t>(std::ceil(centre - ClickFrames / 2.0));
    const auto last = static_cast<std::int64_t>(std::floor(centre + ClickFrames / 2.0));
    for (std::int64_t f = std::max<std::int64_t>(0, first); f <= std::min(frames - 1, last); ++f) {
      const double u = static_cast<double>(f) - centre;
      const double window = 0.5 + 0.5 * std::cos(2.0 * Pi * u / ClickFrames);
      left[static_cast<std::size_t>(f)] +=
          o.ClickAmplitude * window * std::cos(2.0 * Pi * o.ClickHz * u / SampleRate);
    }
  }
  if (o.BandPass) {
    Biquad(left, 300.0, true);
    Biquad(left, 3000.0, false);
  }
  if (o.NoiseRms > 0.0) {
    std::mt19937 random(o.Seed);
    std::normal_distribution<double> noise(0.0, o.NoiseRms);
    for (double& v : left) v += noise(random);
  }
  for (std::int64_t f = 0; f < frames; ++f) {
    signal.Samples[static_cast<std::size_t>(2 * f)] = ToSample(left[static_cast<std::size_t>(f)]);
  }
  return signal;
}

void WriteTestSignal(const std::string& path, const TestSignal& signal) {
  SF_INFO info{};
  info.samplerate = SampleRate;
  info.channels = 2;
  info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (file == nullptr) {
    throw std::runtime_error(path + ": cannot write: " + sf_strerror(nullptr));
  }
  const sf_count_t written = sf_writef_short(file, signal.Samples.data(), signal.Frames());
  const std::string error = sf_strerror(file);
  const int closed = sf_close(file);
  if (written != signal.Frames() || closed != 0) {
    throw std::runtime_error(path + ": cannot write: " + error);
  }
}

std::vector<std::uint8_t> SignalBytes(const TestSignal& signal) {
  std::vector<std::uint8_t> bytes(signal.Samples.size() * 2);
  for (std::size_t i = 0; i < signal.Samples.size(); ++i) {
    PutSample(bytes.data() + 2 * i, signal.Samples[i]);
  }
  return bytes;
}

}  // namespace zizovez
