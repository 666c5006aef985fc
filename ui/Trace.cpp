// The grid and the trace, drawn straight on the window's surface.
#include <cmath>

#include "TDelayForm.h"

void TDelayForm::DrawGrid() {
  TCanvas& canvas = Canvas();
  const TColor pen = canvas.PenColor();
  canvas.SetPenColor(clRed);
  // One line every 10 pixels, one per sample; none at x = 0.
  for (int x = 10; x < ClientWidth(); x += 10) {
    canvas.MoveTo(x, 0);
    canvas.LineTo(x, ClientHeight() - 1);
  }
  canvas.SetPenColor(pen);
}

void TDelayForm::BeginTraceBlock() {
  LatchedHeight = ClientHeight();
  LatchedPlot = LatchedHeight - ControlPanel->height();
}

// y = (H - 1) - g P m, g = 10^(Position / 10) read anew for every point, in
// double and truncated toward zero.
int TDelayForm::TraceY(float magnitude) const {
  const double gain = std::pow(10.0, LGainBar->value() * 0.1);
  const double y = (LatchedHeight - 1) - gain * LatchedPlot * static_cast<double>(magnitude);
  return static_cast<int>(std::trunc(std::fmax(-1e9, std::fmin(1e9, y))));
}

void TDelayForm::StartTrace(float magnitude, bool clearFirst) {
  if (clearFirst) Repaint();
  Canvas().MoveTo(-180, TraceY(magnitude));
}

std::int32_t TDelayForm::TraceWidth() { return ClientWidth(); }

void TDelayForm::ExtendTrace(std::int64_t n, float magnitude) {
  Canvas().LineTo(static_cast<int>(10 * n - 180), TraceY(magnitude));
}
