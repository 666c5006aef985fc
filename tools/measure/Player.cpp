#include "Player.h"

#include <portaudio.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "AudioQuiet.h"
#include "MeasurementState.h"

namespace zizovez {
namespace {

struct Playback {
  const std::int16_t* Samples;
  std::size_t Frames;
  bool Forever;
  std::size_t Position = 0;
  std::atomic<bool> Done{false};
};

// Both channels of a frame go out together, so trigger and click stay
// aligned to the sample.
int Fill(const void*, void* output, unsigned long frames, const PaStreamCallbackTimeInfo*, PaStreamCallbackFlags,
         void* user) {
  auto* p = static_cast<Playback*>(user);
  auto* out = static_cast<std::int16_t*>(output);
  for (unsigned long f = 0; f < frames; ++f) {
    if (p->Position >= p->Frames) {
      if (!p->Forever) {
        std::memset(out + 2 * f, 0, (frames - f) * 2 * sizeof(std::int16_t));
        p->Done = true;
        return paComplete;
      }
      p->Position = 0;
    }
    out[2 * f] = p->Samples[2 * p->Position];
    out[2 * f + 1] = p->Samples[2 * p->Position + 1];
    ++p->Position;
  }
  return paContinue;
}

}  // namespace

bool PlayTestSignal(const TestSignal& signal, bool forever, const std::atomic<bool>& stop, std::string& error) {
  QuietAudioChatter();
  if (const PaError e = Pa_Initialize()) {
    error = std::string("no sound system is available (PortAudio: ") + Pa_GetErrorText(e) + ")";
    return false;
  }
  PaStreamParameters params{};
  params.device = Pa_GetDefaultOutputDevice();
  const PaDeviceInfo* info = params.device >= 0 ? Pa_GetDeviceInfo(params.device) : nullptr;
  if (info == nullptr) {
    Pa_Terminate();
    error = "no sound output device is available; connect one and start again";
    return false;
  }
  params.channelCount = 2;
  params.sampleFormat = paInt16;
  params.suggestedLatency = info->defaultHighOutputLatency;
  Playback playback{signal.Samples.data(), static_cast<std::size_t>(signal.Frames()), forever};
  PaStream* stream = nullptr;
  PaError e = Pa_OpenStream(&stream, nullptr, &params, SampleRate, 512, paClipOff, Fill, &playback);
  if (e == paNoError) e = Pa_StartStream(stream);
  if (e != paNoError) {
    error = std::string("the sound output device cannot play 16-bit stereo at 11025 Hz (PortAudio: ") +
            Pa_GetErrorText(e) + ")";
    if (stream != nullptr) Pa_CloseStream(stream);
    Pa_Terminate();
    return false;
  }
  while (!stop.load() && !playback.Done.load()) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  if (stop.load()) {
    Pa_AbortStream(stream);
  } else {
    Pa_StopStream(stream);  // what is queued plays out
  }
  Pa_CloseStream(stream);
  Pa_Terminate();
  return true;
}

}  // namespace zizovez
