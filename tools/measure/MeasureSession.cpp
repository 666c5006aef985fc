#include "MeasureSession.h"

#include <algorithm>

#include "BandPass.h"
#include "BlockAnalyser.h"
#include "DelayEstimator.h"
#include "FrameCodec.h"

namespace zizovez {

MeasureSession::MeasureSession(std::int32_t width, PulseSink& sink) : Sink(sink), Width(width) {
  DesignKernels(Measurement);
  Measurement.Running = true;
  // The start of the stream is no trigger: no pulse is counted from frame 0
  // until a real trigger has come.
  Track.SinceTrigger = PulseFrames + 1;
}

void MeasureSession::Feed(std::span<const std::uint8_t> frames) {
  const std::size_t whole = frames.size() - frames.size() % FrameBytes;
  if (whole == 0) return;
  if (Frames == 0) {
    // Nor is the level the trigger channel starts at: its first difference is
    // taken against the first frame itself, not against silence.
    Track.PrevRight = SampleValue(GetSample(frames.data() + 2));
  }
  for (std::size_t at = 0; at < whole; at += BlockBytes) {
    const std::size_t size = std::min<std::size_t>(BlockBytes, whole - at);
    AnalyseFrames(Measurement, Track, *this, frames.subspan(at, size));
  }
}

// The engine calls exactly one of StartTrace and TraceWidth for every frame,
// so counting them tells which frame of the block is being analysed.
void MeasureSession::BeginTraceBlock() { FrameInBlock = 0; }

void MeasureSession::StartTrace(float, bool) { ++FrameInBlock; }

std::int32_t MeasureSession::TraceWidth() {
  ++FrameInBlock;
  return Width;
}

void MeasureSession::ExtendTrace(std::int64_t, float) {}

void MeasureSession::ShowPulseStatistics(std::int32_t count, double meanDelay) {
  // Recorded at the end of the frame 59 frames after the trigger.
  const std::int64_t frame = Frames + FrameInBlock - 1;
  PulseRecord record;
  record.Pulse = count;
  record.TriggerFrame = frame - PulseFrames;
  record.PeakOffset = Track.PeakPos;
  record.PeakMag = Track.PeakMag;
  record.DelayMs = PulseDelayMs(Track.PeakPos);
  record.MeanMs = meanDelay;
  Sink.Pulse(record);
}

void MeasureSession::ShowMeters(float, bool, bool) { Frames += FrameInBlock; }

}  // namespace zizovez
