// Engine speed per frame: the band-pass alone, frame by frame and in blocks,
// and whole blocks through AnalyseBlock with a view that does nothing.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "BandPass.h"
#include "BlockAnalyser.h"
#include "FrameCodec.h"

namespace {

using namespace zizovez;

std::vector<float> Noise(std::size_t n) {
  std::mt19937 random(3);
  std::uniform_int_distribution<int> raw(-20000, 20000);
  std::vector<float> v(n);
  for (auto& x : v) x = SampleValue(static_cast<std::int16_t>(raw(random)));
  return v;
}

void BandPassFrameByFrame(benchmark::State& st) {
  MeasurementState s;
  DesignKernels(s);
  const auto input = Noise(BlockFrames);
  for (auto _ : st) {
    for (float l : input) benchmark::DoNotOptimize(BandPassMagnitude(s, l));
  }
  st.SetItemsProcessed(st.iterations() * BlockFrames);
}
BENCHMARK(BandPassFrameByFrame);

void BandPassBlock(benchmark::State& st) {
  MeasurementState s;
  DesignKernels(s);
  const auto input = Noise(BlockFrames);
  std::vector<float> window(KernelTaps - 1 + BlockFrames);
  std::vector<float> out(BlockFrames);
  for (auto _ : st) {
    LoadHistory(s, window.data());
    std::copy(input.begin(), input.end(), window.begin() + KernelTaps - 1);
    BandPassMagnitudes(s, window.data(), BlockFrames, out.data());
    benchmark::DoNotOptimize(out.data());
  }
  st.SetItemsProcessed(st.iterations() * BlockFrames);
}
BENCHMARK(BandPassBlock);

struct IdleView final : MeasurementView {
  void BeginTraceBlock() override {}
  void StartTrace(float, bool) override {}
  std::int32_t TraceWidth() override { return 511; }
  void ExtendTrace(std::int64_t, float) override {}
  void ShowPulseStatistics(std::int32_t, double) override {}
  void ShowMeters(float, bool, bool) override {}
};

void AnalyseWholeBlocks(benchmark::State& st) {
  MeasurementState s;
  PulseTrack t;
  DesignKernels(s);
  s.Running = true;
  IdleView view;
  const auto left = Noise(BlockFrames);
  std::vector<std::uint8_t> block(BlockBytes);
  for (int f = 0; f < BlockFrames; ++f) {
    PutSample(&block[FrameBytes * f], static_cast<std::int16_t>(left[f] * 32768.0f));
    PutSample(&block[FrameBytes * f + 2], f % 250 < 20 ? 16384 : 0);  // a trigger every 250 frames
  }
  for (auto _ : st) {
    AnalyseBlock(s, t, view, CaptureBlock(block.data(), BlockBytes));
  }
  st.SetItemsProcessed(st.iterations() * BlockFrames);
}
BENCHMARK(AnalyseWholeBlocks);

}  // namespace

BENCHMARK_MAIN();
