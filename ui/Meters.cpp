// The trigger gauge, the overload lamps and the result labels.
#include <QLocale>

#include "DelayText.h"
#include "TDelayForm.h"

void TDelayForm::ShowMeters(float trigLevel, bool rightOverload, bool leftOverload) {
  // Truncated toward zero, not rounded; the gauge clamps what lies above 100.
  LevelGauge->SetProgress(static_cast<int>(LevelGauge->MaxValue() * static_cast<double>(trigLevel)));
  RClipLt->SetBrushColor(ToQColor(rightOverload ? clRed : clWhite));
  LClipLt->SetBrushColor(ToQColor(leftOverload ? clRed : clWhite));
}

void TDelayForm::ShowPulseStatistics(std::int32_t count, double meanDelay) {
  PulsesLbl->SetCaption(QString::number(count) + " pulses");
  const std::string separator = QLocale().decimalPoint().toStdString();
  DelayLbl->SetCaption("Delay: " + QString::fromStdString(zizovez::FormatTwoDecimals(meanDelay, separator)));
}
