// Soak run of the capture ring: hours of audio through the scripted driver
// and the real engine, as fast as they go. Not part of the normal suite; run
// by scripts/soak.sh. Checks that every block is analysed exactly once and in
// order, that all 32 buffers are still in circulation at the end, that no
// frame was lost, and that SinceTrigger and the trace abscissa never wrap.
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BandPass.h"
#include "CaptureRing.h"
#include "FrameCodec.h"
#include "MessageQueue.h"
#include "ScriptedWaveIn.h"

namespace {

using namespace zizovez;

struct CountingView final : MeasurementView {
  std::int64_t starts = 0, widths = 0, extends = 0, pulses = 0, meters = 0;
  std::int64_t lastExtended = 0;
  void BeginTraceBlock() override {}
  void StartTrace(float, bool) override { ++starts; }
  std::int32_t TraceWidth() override {
    ++widths;
    return 511;
  }
  void ExtendTrace(std::int64_t n, float) override {
    ++extends;
    lastExtended = n;
  }
  void ShowPulseStatistics(std::int32_t, double) override { ++pulses; }
  void ShowMeters(float, bool, bool) override { ++meters; }
};

class SoakRing final : public TCaptureRing {
 public:
  MeasurementState state;
  PulseTrack track;
  CountingView view;
  std::int64_t expected = 0;  // index of the block that must be analysed next
  std::int64_t outOfOrder = 0;
  std::int64_t reports = 0;

 protected:
  void AnalyseCapture(CaptureBlock block) override {
    const std::int64_t index = GetSample(block.data()) | (std::int64_t{GetSample(block.data() + 4)} << 15);
    if (index != (expected & 0x3FFFFFFF)) ++outOfOrder;
    ++expected;
    AnalyseBlock(state, track, view, block);
  }
  void ShowReport(const std::string& text) override {
    std::fprintf(stderr, "%s\n", text.c_str());
    ++reports;
  }
};

}  // namespace

int main(int argc, char** argv) {
  const double hours = argc > 1 ? std::atof(argv[1]) : 24.0;
  const std::int64_t startSince = argc > 2 ? std::atoll(argv[2]) : 0;

  ScriptedWaveIn driver;
  SetWaveInDriver(&driver);
  MessageQueue queue;
  auto ring = std::make_unique<SoakRing>();
  DesignKernels(ring->state);
  ring->track.SinceTrigger = startSince;
  if (!ring->OpenDevice(&queue)) return 1;
  ring->QueueAll();
  ring->StartRecording();

  const auto blocks = static_cast<std::int64_t>(hours * 3600 * SampleRate / BlockFrames);
  std::vector<std::uint8_t> block(BlockBytes);
  const auto began = std::chrono::steady_clock::now();
  for (std::int64_t b = 0; b < blocks; ++b) {
    // Receiver audio of low noise, trigger silent; the block's index in its first two frames.
    for (int f = 2; f < BlockFrames; ++f) PutSample(&block[FrameBytes * f], static_cast<std::int16_t>((f * 7919 + b) % 64 - 32));
    PutSample(&block[0], static_cast<std::int16_t>(b & 0x7FFF));
    PutSample(&block[4], static_cast<std::int16_t>((b >> 15) & 0x7FFF));
    driver.Deliver(block.data(), BlockFrames);
    PostedMessage m;
    do {
      if (!queue.Wait(m, std::chrono::seconds(10))) {
        std::fprintf(stderr, "no completion for block %" PRId64 "\n", b);
        return 1;
      }
    } while (m.Msg != MM_WIM_DATA);
    ring->HandleWimData(m.LParam);
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();

  int queued = 0;
  for (const auto& h : ring->WaveHeaders) queued += (h.dwFlags & WHDR_INQUEUE) != 0;
  const std::uint64_t lost = WaveInOverflowFrames(ring->WaveIn);
  ring->StopSequence();
  SetWaveInDriver(nullptr);

  const std::int64_t frames = blocks * BlockFrames;
  const bool since = ring->track.SinceTrigger == startSince + frames;
  const bool ok = ring->expected == blocks && ring->outOfOrder == 0 && queued == 32 && lost == 0 && since &&
                  ring->reports == 0 && ring->view.meters == blocks;
  std::printf("audio: %.2f h, %" PRId64 " blocks, %" PRId64 " frames, in %.1f s (%.0fx real time)\n", hours, blocks,
              frames, seconds, hours * 3600 / seconds);
  std::printf("blocks analysed: %" PRId64 ", out of order: %" PRId64 ", buffers queued at the end: %d, frames lost: %" PRIu64
              "\n",
              ring->expected, ring->outOfOrder, queued, lost);
  std::printf("SinceTrigger: %" PRId64 " -> %" PRId64 " (2^31 = 2147483648), trace abscissa at the end: %" PRId64
              ", segments drawn: %" PRId64 " (last n %" PRId64 ")\n",
              startSince, ring->track.SinceTrigger, 10 * ring->track.SinceTrigger - 180, ring->view.extends,
              ring->view.lastExtended);
  std::printf("%s\n", ok ? "soak passed" : "SOAK FAILED");
  return ok ? 0 : 1;
}
