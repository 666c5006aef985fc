#include "TCGauge.h"

#include <algorithm>

#include <QPainter>

int TCGauge::PercentDone() const {
  if (Max <= Min) return 0;
  return static_cast<int>((100LL * (Value - Min)) / (Max - Min));
}

void TCGauge::SetProgress(int value) {
  const int before = PercentDone();
  Value = std::clamp(value, Min, std::max(Min, Max));
  if (PercentDone() != before) update();
}

void TCGauge::SetMinValue(int v) {
  Min = v;
  Value = std::max(Value, Min);
  update();
}

void TCGauge::SetMaxValue(int v) {
  Max = v;
  Value = std::min(Value, std::max(Min, Max));
  update();
}

void TCGauge::SetForeColor(const QColor& c) {
  Fore = c;
  update();
}

void TCGauge::SetBackColor(const QColor& c) {
  Back = c;
  update();
}

void TCGauge::paintEvent(QPaintEvent*) {
  ++Painted;
  QPainter p(this);
  const QRect inner = rect().adjusted(1, 1, -1, -1);
  p.fillRect(inner, Back);
  const int filled = inner.width() * PercentDone() / 100;
  if (filled > 0) p.fillRect(QRect(inner.left(), inner.top(), filled, inner.height()), Fore);
  p.setPen(Qt::black);
  p.drawRect(rect().adjusted(0, 0, -1, -1));
}
