// The live driver: the system's sound input through PortAudio.
#include <portaudio.h>

#include <mutex>
#include <string>

#include "AudioQuiet.h"
#include "WaveInDriver.h"

namespace {

std::string Reason(PaError error) {
  std::string reason = std::string("PortAudio: ") + Pa_GetErrorText(error);
  if (error == paUnanticipatedHostError) {
    const PaHostErrorInfo* host = Pa_GetLastHostErrorInfo();
    if (host != nullptr && host->errorText != nullptr && host->errorText[0] != '\0') {
      reason += std::string(": ") + host->errorText;
    }
  }
  return reason;
}

MMRESULT ResultOf(PaError error) {
  switch (error) {
    case paNoError: return MMSYSERR_NOERROR;
    case paDeviceUnavailable: return MMSYSERR_ALLOCATED;
    case paInvalidSampleRate:
    case paInvalidChannelCount:
    case paSampleFormatNotSupported:
    case paBadIODeviceCombination: return WAVERR_BADFORMAT;
    case paInvalidDevice: return MMSYSERR_BADDEVICEID;
    case paInsufficientMemory: return MMSYSERR_NOMEM;
    case paHostApiNotFound:
    case paNotInitialized: return MMSYSERR_NODRIVER;
    default: return MMSYSERR_ERROR;
  }
}

class PortAudioDriver final : public WaveInDriver {
 public:
  MMRESULT Open(UINT deviceId, const WAVEFORMATEX& format, FrameSink& sink, std::string& reason) override {
    if (Stream != nullptr) return MMSYSERR_ALLOCATED;
    QuietAudioChatter();
    if (const PaError e = Pa_Initialize()) {
      reason = Reason(e);
      return MMSYSERR_NODRIVER;
    }
    PaStreamParameters input{};
    input.device = deviceId == WAVE_MAPPER ? Pa_GetDefaultInputDevice() : static_cast<PaDeviceIndex>(deviceId);
    const PaDeviceInfo* info = input.device >= 0 ? Pa_GetDeviceInfo(input.device) : nullptr;
    if (info == nullptr || info->maxInputChannels < 1) {
      Pa_Terminate();
      reason = "PortAudio: no input device";
      return MMSYSERR_BADDEVICEID;
    }
    input.channelCount = format.nChannels;
    input.sampleFormat = paInt16;
    input.suggestedLatency = info->defaultHighInputLatency;
    Sink = &sink;
    const PaError e = Pa_OpenStream(&Stream, &input, nullptr, format.nSamplesPerSec, 512, paClipOff,
                                    &PortAudioDriver::Callback, this);
    if (e != paNoError) {
      reason = Reason(e);
      Stream = nullptr;
      Pa_Terminate();
      return ResultOf(e);
    }
    return MMSYSERR_NOERROR;
  }

  MMRESULT Start(std::string& reason) override {
    const PaError e = Pa_StartStream(Stream);
    if (e != paNoError) reason = Reason(e);
    return ResultOf(e);
  }

  void Stop() override {
    if (Stream != nullptr && Pa_IsStreamActive(Stream) == 1) Pa_AbortStream(Stream);
  }

  void Close() override {
    if (Stream == nullptr) return;
    Pa_CloseStream(Stream);
    Stream = nullptr;
    Pa_Terminate();
  }

 private:
  static int Callback(const void* input, void*, unsigned long frames, const PaStreamCallbackTimeInfo*,
                      PaStreamCallbackFlags, void* user) {
    auto* self = static_cast<PortAudioDriver*>(user);
    if (input != nullptr) self->Sink->Capture(static_cast<const std::uint8_t*>(input), frames);
    return paContinue;
  }

  PaStream* Stream = nullptr;
  FrameSink* Sink = nullptr;
};

}  // namespace

WaveInDriver& PortAudioWaveIn() {
  static PortAudioDriver driver;
  return driver;
}
