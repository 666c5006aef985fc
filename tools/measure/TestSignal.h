// Test recordings with a known answer: a trigger step on the right channel
// and a band-limited click on the left at a chosen delay after it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zizovez {

struct TestSignalOptions {
  std::vector<double> DelaysMs{1.0};  // click delay after each trigger, cycled pulse by pulse
  int Pulses = 10;
  double IntervalMs = 250.0;          // trigger to trigger
  double LeadMs = 100.0;              // silence before the first trigger and after the last pulse
  double TriggerLevel = 0.5;          // height of the trigger step, of full scale
  double ClickAmplitude = 0.5;        // peak of the click, of full scale
  double ClickHz = 1500.0;            // centre frequency of the click
  double NoiseRms = 0.0;              // white noise on the left channel, of full scale
  bool BandPass = false;              // left channel through 300 Hz - 3 kHz, like a receiver's audio
  std::uint32_t Seed = 1;
};

struct TestSignal {
  std::vector<std::int16_t> Samples;       // interleaved left, right
  std::vector<std::int64_t> TriggerFrames; // frame of each rising trigger edge
  std::vector<double> DelaysMs;            // click delay put in after each trigger

  std::int64_t Frames() const { return static_cast<std::int64_t>(Samples.size() / 2); }
};

// Length of the click in frames: a Hann-windowed burst of this many frames.
inline constexpr int ClickFrames = 24;

// Limits of what is generated: delays of up to a minute, recordings of up to
// four hours (about 640 MB of WAV).
inline constexpr double MaxDelayMs = 60000.0;
inline constexpr double MaxSeconds = 4 * 3600.0;

// Throws std::invalid_argument for options outside the limits.
TestSignal GenerateTestSignal(const TestSignalOptions& options);

// Writes a 16-bit stereo 11025 Hz WAV file; throws std::runtime_error on failure.
void WriteTestSignal(const std::string& path, const TestSignal& signal);

// The signal as capture-block bytes: 16-bit little-endian left/right frames.
std::vector<std::uint8_t> SignalBytes(const TestSignal& signal);

}  // namespace zizovez
