// A virtual X server (Xvfb) for the desktop tests, on a free display.
#pragma once

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

namespace zizovez::test {

class XServer {
 public:
  XServer() {
    for (int n = 90; n < 140; ++n) {
      const std::string lock = "/tmp/.X" + std::to_string(n) + "-lock";
      if (access(lock.c_str(), F_OK) == 0) continue;
      Display = ":" + std::to_string(n);
      Pid = fork();
      if (Pid == 0) {
        execlp("Xvfb", "Xvfb", Display.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp", nullptr);
        _exit(127);
      }
      const std::string socket = "/tmp/.X11-unix/X" + std::to_string(n);
      for (int i = 0; i < 100 && access(socket.c_str(), F_OK) != 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
      }
      if (access(socket.c_str(), F_OK) == 0) {
        setenv("DISPLAY", Display.c_str(), 1);
        return;
      }
      Stop();
    }
  }
  ~XServer() { Stop(); }

  bool Running() const { return Pid > 0; }
  const std::string& Name() const { return Display; }

 private:
  void Stop() {
    if (Pid > 0) {
      kill(Pid, SIGTERM);
      waitpid(Pid, nullptr, 0);
      Pid = -1;
    }
  }
  std::string Display;
  pid_t Pid = -1;
};

}  // namespace zizovez::test
