#include "Canvas.h"

#include <cstdlib>

void TCanvas::LineTo(int x1, int y1) {
  const QRect bounds = Clip.isNull() ? Surface.rect() : Clip.intersected(Surface.rect());
  const QRgb colour = ToRgb(Pen);
  int x = Position.x();
  int y = Position.y();
  const int dx = std::abs(x1 - x);
  const int dy = -std::abs(y1 - y);
  const int sx = x < x1 ? 1 : -1;
  const int sy = y < y1 ? 1 : -1;
  long long error = static_cast<long long>(dx) + dy;
  int left = x1, right = x1, top = y1, bottom = y1;
  bool any = false;
  while (x != x1 || y != y1) {
    if (bounds.contains(x, y)) {
      reinterpret_cast<QRgb*>(Surface.scanLine(y))[x] = colour;
      if (!any) {
        left = right = x;
        top = bottom = y;
        any = true;
      } else {
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
    }
    const long long twice = 2 * error;
    if (twice >= dy) {
      error += dy;
      x += sx;
    }
    if (twice <= dx) {
      error += dx;
      y += sy;
    }
  }
  if (any) Show(QRect(QPoint(left, top), QPoint(right, bottom)));
  Position = QPoint(x1, y1);
}

void TCanvas::FillRect(const QRect& r, TColor color) {
  const QRect area = r.intersected(Surface.rect());
  const QRgb colour = ToRgb(color);
  for (int y = area.top(); y <= area.bottom(); ++y) {
    QRgb* line = reinterpret_cast<QRgb*>(Surface.scanLine(y));
    for (int x = area.left(); x <= area.right(); ++x) line[x] = colour;
  }
  Show(area);
}
