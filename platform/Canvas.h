// A drawing surface in client pixels: a pen with a colour and a current
// position, lines that leave out their end point, and a clip rectangle.
#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QWidget>

#include "Colors.h"

class TCanvas {
 public:
  // Draws into `surface`; `view`, if given, is asked to show what was drawn.
  explicit TCanvas(QImage& surface, QWidget* view = nullptr) : Surface(surface), View(view) {}

  TColor PenColor() const { return Pen; }
  void SetPenColor(TColor color) { Pen = color; }
  QPoint PenPos() const { return Position; }
  void SetPenPos(QPoint p) { Position = p; }

  void MoveTo(int x, int y) { Position = QPoint(x, y); }
  // A Bresenham line from the current position to (x, y) in the pen colour,
  // the end point itself left out, so that joined lines never draw a pixel
  // twice. Pixels outside the surface and the clip rectangle are skipped.
  void LineTo(int x, int y);
  void FillRect(const QRect& r, TColor color);

  // While set, drawing touches only this rectangle (a paint in progress).
  void SetClip(const QRect& r) { Clip = r; }
  void ClearClip() { Clip = QRect(); }

  QImage& Image() { return Surface; }

 private:
  void Show(const QRect& r) {
    if (View != nullptr && !r.isEmpty()) View->update(r);
  }

  QImage& Surface;
  QWidget* View;
  TColor Pen = clBlack;
  QPoint Position;
  QRect Clip;
};
