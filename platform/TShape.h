// A circle lamp: a black one-pixel outline filled with the brush colour.
#pragma once

#include <QColor>
#include <QWidget>

class TShape : public QWidget {
  Q_OBJECT
  Q_PROPERTY(QColor BrushColor READ BrushColor WRITE SetBrushColor)
 public:
  explicit TShape(QWidget* parent = nullptr) : QWidget(parent) {}

  QColor BrushColor() const { return Brush; }
  // Redraws only when the colour changes.
  void SetBrushColor(const QColor& c) {
    if (c == Brush) return;
    Brush = c;
    update();
  }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QColor Brush = Qt::white;
};
