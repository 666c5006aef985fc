#include "Recording.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "FrameCodec.h"
#include "MeasurementState.h"

namespace zizovez {
namespace {

int BytesPerSample(int format) {
  switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8: return 1;
    case SF_FORMAT_PCM_16: return 2;
    case SF_FORMAT_PCM_24: return 3;
    case SF_FORMAT_PCM_32:
    case SF_FORMAT_FLOAT: return 4;
    case SF_FORMAT_DOUBLE: return 8;
    default: return 0;  // compressed: no fixed size
  }
}

// libsndfile quietly shortens a WAV or AIFF whose sound data is cut off; its
// log keeps what the header claimed: "data : 97016 (should be 49956)" for a
// WAV, the frame count of the COMM chunk ("Frames : 10144") for an AIFF.
std::int64_t DeclaredFramesFromLog(SNDFILE* file, const SF_INFO& info) {
  char log[8192] = {};
  sf_command(file, SFC_GET_LOG_INFO, log, sizeof log);
  const int frameBytes = BytesPerSample(info.format) * info.channels;
  std::int64_t declared = info.frames;
  for (const char* line = log; *line != '\0';) {
    const char* end = std::strchr(line, '\n');
    const std::string text(line, end != nullptr ? end : line + std::strlen(line));
    long long value = 0;
    long long actual = 0;
    if (std::sscanf(text.c_str(), " Frames : %lld", &value) == 1) {
      declared = std::max<std::int64_t>(declared, value);
    } else if (frameBytes > 0 &&
               std::sscanf(text.c_str(), " data : %lld (should be %lld)", &value, &actual) == 2 &&
               value > actual) {
      declared = std::max<std::int64_t>(declared, value / frameBytes);
    }
    if (end == nullptr) break;
    line = end + 1;
  }
  return declared;
}

}  // namespace

Recording::Recording(const std::string& path) {
  File = sf_open(path.c_str(), SFM_READ, &Info);
  if (File == nullptr) {
    throw RecordingError(std::string("cannot read it as audio: ") + sf_strerror(nullptr));
  }
  std::string problem;
  if (Info.channels != 2) {
    problem = "it has " + std::to_string(Info.channels) +
              " channel(s); two are needed (left: receiver audio, right: trigger)";
  } else if (Info.samplerate != SampleRate) {
    problem = "it is sampled at " + std::to_string(Info.samplerate) +
              " Hz; the measurement needs 11025 Hz (convert it first, for example with sox)";
  } else if (Info.frames <= 0) {
    problem = "it contains no audio frames";
  }
  if (!problem.empty()) {
    sf_close(File);
    File = nullptr;
    throw RecordingError(problem);
  }
  Declared = DeclaredFramesFromLog(File, Info);
  // 16-bit little-endian PCM needs no conversion at all.
  const int major = Info.format & SF_FORMAT_TYPEMASK;
  Raw = (Info.format & SF_FORMAT_SUBMASK) == SF_FORMAT_PCM_16 &&
        (Info.format & SF_FORMAT_ENDMASK) != SF_ENDIAN_BIG &&
        (major == SF_FORMAT_WAV || major == SF_FORMAT_WAVEX || major == SF_FORMAT_W64 ||
         major == SF_FORMAT_RF64);
  // Float recordings beyond full scale clip instead of wrapping around.
  sf_command(File, SFC_SET_CLIPPING, nullptr, SF_TRUE);
}

Recording::~Recording() {
  if (File != nullptr) sf_close(File);
}

int Recording::Read(std::uint8_t* out, int maxFrames) {
  if (AtEnd) return 0;
  if (Raw) {
    // The file's bytes are already frames as the engine takes them.
    const sf_count_t bytes = sf_read_raw(File, out, static_cast<sf_count_t>(maxFrames) * FrameBytes);
    const int frames = bytes > 0 ? static_cast<int>(bytes / FrameBytes) : 0;
    if (frames < maxFrames) AtEnd = true;
    Done += frames;
    return frames;
  }
  short samples[2 * BlockFrames];
  int total = 0;
  while (total < maxFrames) {
    const int want = std::min(maxFrames - total, BlockFrames);
    const sf_count_t got = sf_readf_short(File, samples, want);
    if (got <= 0) {
      AtEnd = true;
      break;
    }
    for (sf_count_t i = 0; i < 2 * got; ++i) {
      PutSample(out + 2 * (2 * total + i), samples[i]);
    }
    total += static_cast<int>(got);
  }
  Done += total;
  return total;
}

}  // namespace zizovez
