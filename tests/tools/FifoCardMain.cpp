// zizovez-fifo-card RECORDING SECONDS: a sound card for machines without one.
// Writes an ALSA configuration whose default device records from a FIFO,
// prints its path, then plays the recording into the FIFO in real time
// (zeros after it) for SECONDS. Programs started with ALSA_CONFIG_PATH set
// to that path record exactly the recording's frames.
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "FifoSoundCard.h"
#include "MeasurementState.h"
#include "Recording.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: zizovez-fifo-card RECORDING SECONDS\n");
    return 2;
  }
  std::vector<std::uint8_t> bytes;
  try {
    zizovez::Recording recording(argv[1]);
    std::array<std::uint8_t, zizovez::BlockBytes> block;
    while (const int frames = recording.Read(block.data(), zizovez::BlockFrames)) {
      bytes.insert(bytes.end(), block.begin(), block.begin() + frames * zizovez::FrameBytes);
    }
  } catch (const zizovez::RecordingError& e) {
    std::fprintf(stderr, "zizovez-fifo-card: %s: %s\n", argv[1], e.what());
    return 2;
  }
  zizovez::test::FifoSoundCard card;
  std::printf("%s\n", card.ConfigPath().c_str());
  std::fflush(stdout);
  card.Play(std::move(bytes));
  std::this_thread::sleep_for(std::chrono::duration<double>(std::atof(argv[2])));
  return 0;
}
