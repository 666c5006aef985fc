// Reading and writing the 16-bit little-endian samples of a capture frame.
#pragma once

#include <cstdint>

namespace zizovez {

inline std::int16_t GetSample(const std::uint8_t* p) {
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(p[0] | (p[1] << 8)));
}

inline void PutSample(std::uint8_t* p, std::int16_t v) {
  const auto u = static_cast<std::uint16_t>(v);
  p[0] = static_cast<std::uint8_t>(u & 0xFF);
  p[1] = static_cast<std::uint8_t>(u >> 8);
}

// A raw sample as a sample value, -1.0 to 32767/32768; exact in single precision.
inline float SampleValue(std::int16_t raw) { return raw * (1.0f / 32768.0f); }

}  // namespace zizovez
