#include "MeasureSession.h"

#include <algorithm>
#include <bit>

#include "BandPass.h"
#include "BlockAnalyser.h"
#include "DelayEstimator.h"
#include "FrameCodec.h"

namespace zizovez {

MeasureSession::MeasureSession(const MeasureOptions& options, PulseSink& sink)
    : Sink(sink), Options(options), BlockMagnitudes(BlockFrames) {
  DesignKernels(Measurement);
  Measurement.Running = true;
  // The start of the stream is no trigger: no pulse is counted from frame 0
  // until a real trigger has come.
  Track.SinceTrigger = Options.SearchFrames + 1;
  // Frame n is searched while 10 n - 180 < width.
  const std::int64_t widthLast = (static_cast<std::int64_t>(Options.Width) + 189) / 10 - 1;
  Last = std::min(Options.SearchFrames, widthLast);
  const auto span = static_cast<std::size_t>(Options.SearchFrames + LevelFrames + KernelTaps + 2 + BlockFrames);
  History.assign(std::bit_ceil(span), 0.0f);
}

void MeasureSession::Feed(std::span<const std::uint8_t> frames) {
  const std::size_t whole = frames.size() - frames.size() % FrameBytes;
  if (whole == 0) return;
  if (Frames == 0) {
    // Nor is the level the trigger channel starts at: its first difference is
    // taken against the first frame itself, not against silence.
    Track.PrevRight = SampleValue(GetSample(frames.data() + 2));
  }
  AnalysisOptions analysis;
  analysis.SearchFrames = Options.SearchFrames;
  analysis.Magnitudes = BlockMagnitudes.data();
  for (std::size_t at = 0; at < whole; at += BlockBytes) {
    const std::size_t size = std::min<std::size_t>(BlockBytes, whole - at);
    BlockSize = static_cast<std::int64_t>(size / FrameBytes);
    AnalyseFrames(Measurement, Track, *this, frames.subspan(at, size), analysis);
  }
}

float MeasureSession::MagnitudeAt(std::int64_t frame) const {
  if (frame < 0 || frame >= Frames + BlockSize) return 0.0f;
  return History[static_cast<std::size_t>(frame) & (History.size() - 1)];
}

// The engine calls exactly one of StartTrace and TraceWidth for every frame,
// so counting them tells which frame of the block is being analysed.
void MeasureSession::BeginTraceBlock() {
  FrameInBlock = 0;
  for (std::int64_t f = 0; f < BlockSize; ++f) {
    History[static_cast<std::size_t>(Frames + f) & (History.size() - 1)] = BlockMagnitudes[static_cast<std::size_t>(f)];
  }
}

void MeasureSession::StartTrace(float, bool) { ++FrameInBlock; }

std::int32_t MeasureSession::TraceWidth() {
  ++FrameInBlock;
  return Options.Width;
}

void MeasureSession::ExtendTrace(std::int64_t, float) {}

void MeasureSession::ShowPulseStatistics(std::int32_t count, double meanDelay) {
  // Recorded at the end of the last frame searched after the trigger.
  const std::int64_t frame = Frames + FrameInBlock - 1;
  const std::int64_t trigger = frame - Options.SearchFrames;
  PulseShape shape;
  shape.PeakPos = Track.PeakPos;
  shape.PeakMag = Track.PeakMag;
  shape.LastSearched = Last;
  shape.Before = MagnitudeAt(trigger + Track.PeakPos - 1);
  shape.After = MagnitudeAt(trigger + Track.PeakPos + 1);
  // The level before: magnitudes whose 37 frames of audio all come before
  // the audio that frame 1 of the search sees.
  const std::int64_t levelEnd = trigger + 1 - KernelTaps;
  for (std::int64_t f = levelEnd - LevelFrames; f < levelEnd; ++f) {
    shape.LevelBefore = std::max(shape.LevelBefore, MagnitudeAt(f));
  }

  PulseRecord record;
  record.Pulse = count;
  record.TriggerFrame = trigger;
  record.PeakOffset = Track.PeakPos;
  record.DelayMs = PulseDelayMs(Track.PeakPos);
  record.MeanMs = meanDelay;
  record.TimeS = static_cast<double>(trigger) / SampleRate;
  record.PeakMag = Track.PeakMag;
  record.DelayFineMs = (FinePeakPos(shape) - DetectorLag) * 1000.0 / SampleRate;
  record.Flag = Classify(shape);
  Sink.Pulse(record);
}

void MeasureSession::ShowMeters(float, bool, bool) { Frames += FrameInBlock; }

}  // namespace zizovez
