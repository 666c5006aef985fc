#include "ScriptedWaveIn.h"

void ScriptedWaveIn::Fail(WaveCall call, MMRESULT code, int nth, int times) {
  Failures[call] = Failure{code, nth - 1, times};
}

bool ScriptedWaveIn::Deliver(const std::uint8_t* frames, std::size_t count) {
  if (Sink == nullptr || !Recording) return false;
  Sink->Capture(frames, count);
  return true;
}

int ScriptedWaveIn::Calls(WaveCall call) const {
  const auto it = Counts.find(call);
  return it == Counts.end() ? 0 : it->second;
}

MMRESULT ScriptedWaveIn::Open(UINT deviceId, const WAVEFORMATEX& format, FrameSink& sink, std::string&) {
  if (Sink != nullptr) return MMSYSERR_ALLOCATED;
  Sink = &sink;
  OpenedFormat = format;
  OpenedDevice = deviceId;
  return MMSYSERR_NOERROR;
}

MMRESULT ScriptedWaveIn::Start(std::string&) {
  Recording = true;
  return MMSYSERR_NOERROR;
}

MMRESULT ScriptedWaveIn::Refuse(WaveCall call) {
  ++Counts[call];
  const auto it = Failures.find(call);
  if (it == Failures.end()) return MMSYSERR_NOERROR;
  Failure& f = it->second;
  if (f.skip > 0) {
    --f.skip;
    return MMSYSERR_NOERROR;
  }
  if (f.times == 0) return MMSYSERR_NOERROR;
  if (f.times > 0) --f.times;
  return f.code;
}
