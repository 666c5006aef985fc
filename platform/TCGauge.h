// A horizontal bar gauge: a single-line border, the background colour, and a
// bar in the fore colour filled from the left to the whole percentage of
// Progress between MinValue and MaxValue. No text.
#pragma once

#include <QColor>
#include <QWidget>

class TCGauge : public QWidget {
  Q_OBJECT
  Q_PROPERTY(int MinValue READ MinValue WRITE SetMinValue)
  Q_PROPERTY(int MaxValue READ MaxValue WRITE SetMaxValue)
  Q_PROPERTY(int Progress READ Progress WRITE SetProgress)
  Q_PROPERTY(QColor ForeColor READ ForeColor WRITE SetForeColor)
  Q_PROPERTY(QColor BackColor READ BackColor WRITE SetBackColor)
 public:
  explicit TCGauge(QWidget* parent = nullptr) : QWidget(parent) {}

  int MinValue() const { return Min; }
  int MaxValue() const { return Max; }
  int Progress() const { return Value; }
  // Clamps into MinValue..MaxValue and stores; redraws only when the whole
  // percentage shown changes.
  void SetProgress(int value);
  void SetMinValue(int v);
  void SetMaxValue(int v);
  // floor(100 (Progress - MinValue) / (MaxValue - MinValue))
  int PercentDone() const;

  QColor ForeColor() const { return Fore; }
  void SetForeColor(const QColor& c);
  QColor BackColor() const { return Back; }
  void SetBackColor(const QColor& c);

  int Redraws() const { return Painted; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int Min = 0;
  int Max = 100;
  int Value = 0;
  QColor Fore = Qt::black;
  QColor Back = Qt::white;
  int Painted = 0;
};
