// The real main window over the scripted capture driver, with message boxes
// recorded instead of shown.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>

#include "BandPass.h"
#include "Blocks.h"
#include "FrameCodec.h"
#include "MessageBoxes.h"
#include "ScriptedWaveIn.h"
#include "TApplication.h"
#include "TDelayForm.h"

namespace zizovez::test {

struct BoxRecord {
  QString caption;
  QString text;
  bool plain;  // ShowMessage; otherwise MessageDlg
  TMsgDlgType type;
};

class RecordedBoxes final : public MessageBoxService {
 public:
  std::vector<BoxRecord> boxes;
  void ShowMessage(const QString& caption, const QString& text) override {
    boxes.push_back({caption, text, true, TMsgDlgType::mtInformation});
  }
  void MessageDlg(const QString& caption, const QString& text, TMsgDlgType type) override {
    boxes.push_back({caption, text, false, type});
  }
};

class Window {
 public:
  ScriptedWaveIn driver;
  RecordedBoxes boxes;
  TDelayForm* form = nullptr;

  explicit Window(bool create = true) {
    SetWaveInDriver(&driver);
    SetMessageBoxService(&boxes);
    EngineTrack = PulseTrack{};  // the program's start, for every test
    form = new TDelayForm;
    DelayForm = form;
    if (create) form->Create();
    form->show();
    Settle();
  }
  ~Window() {
    if (form->isVisible()) form->close();
    delete form;
    DelayForm = nullptr;
    SetMessageBoxService(nullptr);
    SetWaveInDriver(nullptr);
  }

  // Hands one block to the device and waits until the window has analysed it.
  void Deliver(std::span<const std::uint8_t> block) {
    const int expected = (form->NextBuffer + 1) % TCaptureRing::BufferCount;
    driver.Deliver(block);
    QElapsedTimer timer;
    timer.start();
    while (form->NextBuffer != expected && timer.elapsed() < 5000) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    Settle();
  }
  void Play(const FrameStream& s) {
    for (std::size_t b = 0; b < s.Blocks(); ++b) Deliver(s.Block(b));
  }
  static void Settle() {
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
  }

  QImage Surface() { return form->Canvas().Image(); }
  QRgb Pixel(int x, int y) { return Surface().pixel(x, y); }
};

inline bool IsRed(QRgb p) { return p == qRgb(255, 0, 0); }
inline bool IsBlack(QRgb p) { return p == qRgb(0, 0, 0); }
inline bool IsWhite(QRgb p) { return p == qRgb(255, 255, 255); }

}  // namespace zizovez::test
