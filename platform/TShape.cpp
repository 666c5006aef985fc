#include "TShape.h"

#include <QPainter>

void TShape::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(Qt::black, 1));
  p.setBrush(Brush);
  const int side = std::min(width(), height()) - 1;
  p.drawEllipse(QRectF(0.5, 0.5, side, side));
}
