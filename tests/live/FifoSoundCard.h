// A sound card for machines without one: ALSA's default device reads raw
// 16-bit stereo frames at 11025 Hz from a FIFO, which a feeder thread fills
// in real time with a given signal, then zeros. What a program records
// through PortAudio is then exactly the fed frames, from frame 0.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "../measure/TempDir.h"

namespace zizovez::test {

class FifoSoundCard {
 public:
  // Writes the ALSA configuration and points ALSA_CONFIG_PATH at it (for this
  // process and the programs it starts). `usable` false gives a default
  // device that cannot be opened.
  explicit FifoSoundCard(bool usable = true) {
    Fifo = Dir / "capture.fifo";
    Config = Dir / "asound.conf";
    mkfifo(Fifo.c_str(), 0600);
    if (usable) {
      WriteConfig(Config, "/dev/null", Fifo);
    } else {
      std::ofstream(Config) << "pcm.!default {\n  type hw\n  card 31\n}\n";
    }
    setenv("ALSA_CONFIG_PATH", Config.c_str(), 1);
  }

  ~FifoSoundCard() { Stop(); }

  // Starts feeding `bytes` (whole 4096-byte chunks, zeros after), paced at
  // 1024 frames every 1024/11025 s.
  void Play(std::vector<std::uint8_t> bytes) {
    Bytes = std::move(bytes);
    Feeder = std::thread([this] { Feed(); });
  }

  void Stop() {
    Stopping = true;
    if (Feeder.joinable()) Feeder.join();
  }

  const std::string& ConfigPath() const { return Config; }

  // Makes the default device a playback one that writes what is played, raw,
  // to `rawFile` instead (for testing what a program plays).
  static void UseOutputFile(const std::string& config, const std::string& rawFile) {
    WriteConfig(config, rawFile, "");
    setenv("ALSA_CONFIG_PATH", config.c_str(), 1);
  }

 private:
  // The only device: the default one, converting to 16-bit stereo at
  // 11025 Hz for a file device over a null one, which writes what is played
  // to `output` and, given an `input`, records from it.
  static void WriteConfig(const std::string& path, const std::string& output, const std::string& input) {
    const std::string infile = input.empty() ? "" : "      infile \"" + input + "\"\n";
    std::ofstream(path) << "pcm.!default {\n"
                           "  type plug\n"
                           "  slave {\n"
                           "    pcm {\n"
                           "      type file\n"
                           "      slave.pcm { type null }\n"
                        << "      file \"" << output << "\"\n"
                        << "      format \"raw\"\n"
                        << infile
                        << "    }\n"
                           "    format S16_LE\n"
                           "    rate 11025\n"
                           "    channels 2\n"
                           "  }\n"
                           "}\n";
  }

  void Feed() {
    // Read-write, so that opening never blocks and PortAudio's own probing
    // open and close cannot hang; without blocking, so that it can stop.
    const int fd = open(Fifo.c_str(), O_RDWR | O_NONBLOCK);
    if (fd < 0) return;
    const auto period = std::chrono::microseconds(1024LL * 1000000 / 11025);
    auto next = std::chrono::steady_clock::now();
    std::vector<std::uint8_t> chunk(4096);
    for (std::size_t at = 0; !Stopping; at += chunk.size()) {
      std::fill(chunk.begin(), chunk.end(), 0);
      if (at < Bytes.size()) {
        std::copy(Bytes.begin() + static_cast<std::ptrdiff_t>(at),
                  Bytes.begin() + static_cast<std::ptrdiff_t>(std::min(Bytes.size(), at + chunk.size())),
                  chunk.begin());
      }
      // A chunk of PIPE_BUF bytes goes in whole or not at all; while nobody
      // reads and the FIFO is full, wait (and stay stoppable).
      while (write(fd, chunk.data(), chunk.size()) < 0) {
        if (errno != EAGAIN || Stopping) {
          close(fd);
          return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
      next += period;
      std::this_thread::sleep_until(next);
    }
    close(fd);
  }

  TempDir Dir;
  std::string Fifo;
  std::string Config;
  std::vector<std::uint8_t> Bytes;
  std::thread Feeder;
  std::atomic<bool> Stopping{false};
};

}  // namespace zizovez::test
