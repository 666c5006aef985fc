// A capture ring over the scripted driver and a plain message queue, which
// records what it analyses and what it reports.
#pragma once

#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "CaptureRing.h"
#include "MessageQueue.h"
#include "ScriptedWaveIn.h"

namespace zizovez::test {

// A block whose every byte says which block it is.
inline std::vector<std::uint8_t> MarkedBlock(int mark) {
  return std::vector<std::uint8_t>(BlockBytes, static_cast<std::uint8_t>(mark));
}

class RingHarness : public TCaptureRing {
 public:
  ScriptedWaveIn driver;
  MessageQueue queue;
  std::vector<int> analysed;          // the mark of every analysed block, in order
  std::vector<std::string> reports;   // every failure report, in order
  std::vector<std::uint32_t> others;  // messages other than MM_WIM_DATA

  RingHarness() { SetWaveInDriver(&driver); }
  ~RingHarness() override {
    if (WaveIn != nullptr && !Closing) StopSequence();
    SetWaveInDriver(nullptr);
  }

  // The creation steps of the window, without the window.
  void Create() {
    if (!OpenDevice(&queue)) return;
    QueueAll();
    StartRecording();
  }

  // Delivers one marked block and handles the message it brings.
  void Deliver(int mark) {
    const auto block = MarkedBlock(mark);
    driver.Deliver(block);
    Pump(1);
  }

  // Handles messages until `dataMessages` completions have come (waiting
  // for each as long as need be), then whatever else is already there.
  void Pump(int dataMessages) {
    PostedMessage m;
    while (dataMessages > 0 && queue.Wait(m, std::chrono::seconds(5))) {
      Handle(m);
      if (m.Msg == MM_WIM_DATA) --dataMessages;
    }
    while (queue.Wait(m, std::chrono::milliseconds(0))) Handle(m);
  }

  void Handle(const PostedMessage& m) {
    if (m.Msg == MM_WIM_DATA) {
      HandleWimData(m.LParam);
    } else {
      others.push_back(m.Msg);
    }
  }

  int QueuedOnDevice() const {
    int n = 0;
    for (const auto& h : WaveHeaders) n += (h.dwFlags & WHDR_INQUEUE) != 0;
    return n;
  }

 protected:
  void AnalyseCapture(CaptureBlock block) override {
    analysed.push_back(block[0]);
    blockSizes.push_back(block.size());
  }
  void ShowReport(const std::string& text) override { reports.push_back(text); }

 public:
  std::vector<std::size_t> blockSizes;
};

}  // namespace zizovez::test
