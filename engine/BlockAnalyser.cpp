#include "BlockAnalyser.h"

#include <algorithm>

#include "BandPass.h"
#include "DelayEstimator.h"
#include "FrameCodec.h"
#include "TriggerDetector.h"

namespace zizovez {

void AnalyseBlock(MeasurementState& state, PulseTrack& track, MeasurementView& view,
                  CaptureBlock block) {
  AnalyseFrames(state, track, view, block);
}

void AnalyseFrames(MeasurementState& state, PulseTrack& track, MeasurementView& view,
                   std::span<const std::uint8_t> frames, const AnalysisOptions& options) {
  int count = static_cast<int>(frames.size() / FrameBytes);
  if (count > BlockFrames) count = BlockFrames;
  const std::uint8_t* bytes = frames.data();

  // The band-pass magnitudes depend on the left channel alone, so the whole
  // run is computed first, many frames at a time; the frame loop below then
  // sees exactly the values BandPassMagnitude would give it frame by frame.
  float window[KernelTaps - 1 + BlockFrames];
  float magnitudes[BlockFrames];
  LoadHistory(state, window);
  for (int f = 0; f < count; ++f) {
    window[KernelTaps - 1 + f] = SampleValue(GetSample(bytes + f * FrameBytes));
  }
  BandPassMagnitudes(state, window, count, magnitudes);
  if (options.Magnitudes != nullptr) std::copy(magnitudes, magnitudes + count, options.Magnitudes);

  // The values that carry from frame to frame are worked on in locals and
  // stored back every frame, so that the view, which may look at the state
  // but never changes it, always sees it as it stands.
  const std::int64_t recordAt = options.SearchFrames + 1;
  float trigLevel = state.TrigLevel;
  float prevRight = track.PrevRight;
  std::int64_t since = track.SinceTrigger;
  bool rightOverload = false;
  bool leftOverload = false;
  view.BeginTraceBlock();
  for (int f = 0; f < count; ++f) {
    // The right channel is done completely before the left sample is touched.
    const float r = SampleValue(GetSample(bytes + f * FrameBytes + 2));
    if (IsOverload(r)) rightOverload = true;
    if (TriggerDecision(trigLevel, prevRight, r)) {
      since = 0;
      track.SinceTrigger = 0;
    }
    state.TrigLevel = trigLevel;
    track.PrevRight = prevRight;

    if (IsOverload(window[KernelTaps - 1 + f])) leftOverload = true;
    const float m = magnitudes[f];

    if (since == 0) {
      view.StartTrace(m, !state.Running);
      ResetPeak(track);
    } else {
      const std::int32_t width = view.TraceWidth();
      if (10 * since - 180 < width) {
        view.ExtendTrace(since, m);
        TrackPeak(track, since, m);
      }
    }

    since += 1;
    track.SinceTrigger = since;
    if (since == recordAt && state.Running) {
      RecordPulse(state, track, view);
    }
  }
  view.ShowMeters(state.TrigLevel, rightOverload, leftOverload);
}

}  // namespace zizovez
