// A label that sizes itself to its text, its left edge staying put.
#pragma once

#include <QLabel>

class TLabel : public QLabel {
  Q_OBJECT
 public:
  explicit TLabel(QWidget* parent = nullptr) : QLabel(parent) {}

  void SetCaption(const QString& text) {
    setText(text);
    resize(sizeHint());
  }
};
