// Writes captured blocks, untouched, to a 16-bit stereo 11025 Hz WAV file.
// After every block the header is brought up to date, so that the file is
// valid up to the last whole block whatever happens next.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include <sndfile.h>

namespace zizovez {

class WavRecorder {
 public:
  WavRecorder() = default;
  ~WavRecorder();
  WavRecorder(const WavRecorder&) = delete;
  WavRecorder& operator=(const WavRecorder&) = delete;

  // False, with Error() saying why, if the file cannot be created.
  bool Open(const std::string& path);
  // Appends whole frames; false, with Error() saying why, if they could not
  // all be written: the file then ends at the last whole block before.
  bool Write(std::span<const std::uint8_t> frames);
  void Close();

  const std::string& Error() const { return Problem; }
  std::int64_t FramesWritten() const { return Written; }

 private:
  SNDFILE* File = nullptr;
  std::string Path;
  std::string Problem;
  std::int64_t Written = 0;
};

}  // namespace zizovez
