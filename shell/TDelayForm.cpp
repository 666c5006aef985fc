#include "TDelayForm.h"

#include "BandPass.h"
#include "BlockAnalyser.h"
#include "MessageBoxes.h"

TDelayForm* DelayForm = nullptr;
zizovez::PulseTrack EngineTrack;

TDelayForm::TDelayForm(QWidget* owner) : TForm(owner) {
  setupUi(this);
  AttachClientArea();
}

void TDelayForm::FormCreate() {
  if (!OpenDevice(this)) return;
  QueueAll();
  Measurement.TrigLevel = 0.0f;
  Measurement.HistoryPos = 0;
  zizovez::DesignKernels(Measurement);
  Measurement.Running = false;
  StartRecording();
}

void TDelayForm::FormClose(TCloseAction&) { StopSequence(); }

void TDelayForm::FormPaint() { DrawGrid(); }

void TDelayForm::Dispatch(void* message) {
  auto* m = static_cast<TMessage*>(message);
  if (m->Msg == MM_WIM_DATA) {
    HandleWimData(m->LParam);
  } else {
    TForm::Dispatch(message);
  }
}

void TDelayForm::AnalyseCapture(zizovez::CaptureBlock block) {
  zizovez::AnalyseBlock(Measurement, EngineTrack, *this, block);
}

void TDelayForm::ShowReport(const std::string& text) { ShowMessage(QString::fromStdString(text)); }
