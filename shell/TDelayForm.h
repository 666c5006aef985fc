// The main window: it carries the capture ring, the measurement state and
// the controls of its layout, and shows the engine's results.
#pragma once

#include <string>

#include "CaptureRing.h"
#include "MeasurementState.h"
#include "MeasurementView.h"
#include "TForm.h"
#include "ui_TDelayForm.h"

class TDelayForm : public TForm,
                   public TCaptureRing,
                   private zizovez::MeasurementView,
                   public Ui::TDelayForm {
  Q_OBJECT
 public:
  explicit TDelayForm(QWidget* owner = nullptr);

  // Device completions go to HandleWimData, everything else to the inherited dispatch.
  void Dispatch(void* message) override;

  // The measurement state the window owns; every field starts zero.
  zizovez::MeasurementState Measurement;

 public slots:
  void FormCreate();
  void FormClose(TCloseAction& action);
  void FormPaint();
  void StartButtonClick();
  void Exit1Click();
  void About1Click();
  void Help1Click();
  void LGainChkBoxClick();

 private:
  void DrawGrid();

  // The capture ring's calls out.
  void AnalyseCapture(zizovez::CaptureBlock block) override;
  void ShowReport(const std::string& text) override;

  // What the engine asks of the window.
  void BeginTraceBlock() override;
  void StartTrace(float magnitude, bool clearFirst) override;
  std::int32_t TraceWidth() override;
  void ExtendTrace(std::int64_t n, float magnitude) override;
  void ShowPulseStatistics(std::int32_t count, double meanDelay) override;
  void ShowMeters(float trigLevel, bool rightOverload, bool leftOverload) override;

  int TraceY(float magnitude) const;

  int LatchedHeight = 0;  // client height, latched once per block
  int LatchedPlot = 0;    // client height less ControlPanel's
};

extern TDelayForm* DelayForm;

// The engine's values with program lifetime, not the window's.
extern zizovez::PulseTrack EngineTrack;
