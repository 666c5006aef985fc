// The form base of our toolkit layer over Qt: a main window whose client
// area is a surface the program draws on directly, with the creation, close
// and paint events, and a message dispatch that devices post to from any
// thread.
#pragma once

#include <cstdint>
#include <memory>

#include <QImage>
#include <QMainWindow>
#include <QWidget>

#include "Canvas.h"
#include "MessageTarget.h"

struct TMessage {
  std::uint32_t Msg = 0;
  std::uintptr_t WParam = 0;
  std::intptr_t LParam = 0;
  std::intptr_t Result = 0;
};

enum class TCloseAction { caNone, caHide, caFree, caMinimize };

// The client area: the form's own surface, below the menu bar. Child panels
// lie on top of it and are never drawn over. A child whose dynamic property
// "align" is "alTop" spans the full width at the top, keeping its height;
// "alRight" keeps its width against the right edge, below the alTop ones.
class TClientArea : public QWidget {
  Q_OBJECT
 public:
  explicit TClientArea(QWidget* parent = nullptr);

  QImage& Surface() { return Image; }

 signals:
  // A part of the surface lost its contents (resized in, uncovered) and must
  // be erased and painted again.
  void Exposed(const QRect& area);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void childEvent(QChildEvent* event) override;

 private:
  void Realign();
  QImage Image;
};

class TForm : public QMainWindow, public MessageTarget {
  Q_OBJECT
  Q_PROPERTY(QColor Color READ WindowColor WRITE SetWindowColor)
  Q_PROPERTY(int ClientWidth READ ClientWidth WRITE SetClientWidth)
  Q_PROPERTY(int ClientHeight READ ClientHeight WRITE SetClientHeight)
  Q_PROPERTY(QString Position READ Position WRITE SetPosition)
 public:
  explicit TForm(QWidget* owner = nullptr);

  // Thread-safe: the message is handed to Dispatch on the user-interface thread.
  void PostMessage(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) override;
  // Every message posted to the form comes here; this default passes it on
  // to whoever listens to UnhandledMessage.
  virtual void Dispatch(void* message);

  TCanvas& Canvas() { return *FormCanvas; }
  int ClientWidth() const;
  int ClientHeight() const;
  // The size of the client area the window is made for (the layout's values).
  void SetClientWidth(int w);
  void SetClientHeight(int h);
  // "poScreenCenter": centred on the screen when first shown.
  QString Position() const { return Placement; }
  void SetPosition(const QString& p) { Placement = p; }
  // Erases the form's own surface to its colour and runs OnPaint, then shows
  // the result, all before returning.
  void Repaint();

  QColor WindowColor() const { return ToQColor(Background); }
  void SetWindowColor(const QColor& c) { Background = FromQColor(c); }

  // Runs OnCreate; the application calls it once the layout is built.
  void Create() { emit OnCreate(); }

 signals:
  void OnCreate();
  void OnClose(TCloseAction& action);
  void OnPaint();
  void UnhandledMessage(unsigned msg);

 protected:
  bool event(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  // Connects the client area once the layout has made it.
  void AttachClientArea();

 private:
  void PaintArea(const QRect& area);
  void ApplyClientSize();

  TClientArea* Client = nullptr;
  QImage Fallback;
  std::unique_ptr<TCanvas> FormCanvas;
  TColor Background = clWhite;
  QSize WantedClient;
  QString Placement;
  bool Shown = false;
};
