// Builds capture blocks from raw left/right sample values.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "FrameCodec.h"
#include "MeasurementState.h"

namespace zizovez::test {

struct Frame {
  std::int16_t left = 0;
  std::int16_t right = 0;
};

// A stream of frames, cut into capture blocks on demand.
struct FrameStream {
  std::vector<Frame> frames;

  explicit FrameStream(std::size_t count = 0) : frames(count) {}

  std::size_t Blocks() const { return (frames.size() + BlockFrames - 1) / BlockFrames; }

  // A rising trigger edge at `frame`, held for 20 frames.
  void Trigger(std::size_t frame) {
    for (std::size_t f = frame; f < frame + 20 && f < frames.size(); ++f) frames[f].right = 16384;
  }

  std::array<std::uint8_t, BlockBytes> Block(std::size_t index) const {
    std::array<std::uint8_t, BlockBytes> bytes{};
    for (std::size_t f = 0; f < BlockFrames; ++f) {
      const std::size_t at = index * BlockFrames + f;
      if (at >= frames.size()) break;
      PutSample(bytes.data() + FrameBytes * f, frames[at].left);
      PutSample(bytes.data() + FrameBytes * f + 2, frames[at].right);
    }
    return bytes;
  }
};

}  // namespace zizovez::test
