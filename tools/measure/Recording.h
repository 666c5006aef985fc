// A recording read through libsndfile as capture-block bytes.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include <sndfile.h>

namespace zizovez {

// Why a file cannot be measured, worded for the user.
class RecordingError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class Recording {
 public:
  // Opens and checks the file: readable audio, two channels, 11025 Hz, at
  // least one frame. Throws RecordingError otherwise.
  explicit Recording(const std::string& path);
  ~Recording();
  Recording(const Recording&) = delete;
  Recording& operator=(const Recording&) = delete;

  // Reads up to `maxFrames` frames as 16-bit little-endian left/right pairs
  // (other sample formats are converted by libsndfile, clipped at full
  // scale). Returns the number of frames read; 0 at the end.
  int Read(std::uint8_t* out, int maxFrames);

  // Frames the file's header announces, which is more than it holds when
  // the recorder died before finishing the file.
  std::int64_t DeclaredFrames() const { return Declared; }
  std::int64_t FramesRead() const { return Done; }
  // True once reading has ended before the frames the header announced.
  bool EndedEarly() const { return AtEnd && Done < Declared; }

 private:
  SNDFILE* File = nullptr;
  SF_INFO Info{};
  std::int64_t Declared = 0;
  std::int64_t Done = 0;
  bool AtEnd = false;
  bool Raw = false;  // read the file's bytes as they are
};

}  // namespace zizovez
