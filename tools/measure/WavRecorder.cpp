#include "WavRecorder.h"

#include <cerrno>
#include <cstring>
#include <vector>

#include "FrameCodec.h"
#include "MeasurementState.h"

namespace zizovez {

WavRecorder::~WavRecorder() { Close(); }

bool WavRecorder::Open(const std::string& path) {
  SF_INFO info{};
  info.samplerate = SampleRate;
  info.channels = 2;
  info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  Path = path;
  File = sf_open(path.c_str(), SFM_WRITE, &info);
  if (File == nullptr) {
    Problem = path + ": cannot write the recording: " + sf_strerror(nullptr);
    return false;
  }
  return true;
}

bool WavRecorder::Write(std::span<const std::uint8_t> bytes) {
  if (File == nullptr) return false;
  const auto frames = static_cast<sf_count_t>(bytes.size() / FrameBytes);
  short samples[2 * BlockFrames];
  for (sf_count_t done = 0; done < frames;) {
    const sf_count_t n = std::min<sf_count_t>(frames - done, BlockFrames);
    for (sf_count_t i = 0; i < 2 * n; ++i) samples[i] = GetSample(bytes.data() + 2 * (2 * done + i));
    errno = 0;
    const sf_count_t wrote = sf_writef_short(File, samples, n);
    if (wrote != n) {
      const int error = errno;
      Problem = Path + ": cannot write the recording: " +
                (error != 0 ? std::string(std::strerror(error)) : std::string(sf_strerror(File))) +
                "; it ends after " + std::to_string(Written) + " frames";
      // Cut off what part of the block got in, and close a valid file.
      sf_count_t keep = Written;
      sf_command(File, SFC_FILE_TRUNCATE, &keep, sizeof keep);
      Close();
      return false;
    }
    done += n;
  }
  Written += frames;
  sf_command(File, SFC_UPDATE_HEADER_NOW, nullptr, 0);
  return true;
}

void WavRecorder::Close() {
  if (File != nullptr) sf_close(File);
  File = nullptr;
}

}  // namespace zizovez
