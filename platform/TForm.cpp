#include "TForm.h"

#include "TLabel.h"

#include <QApplication>
#include <QChildEvent>
#include <QCloseEvent>
#include <QEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QLayout>
#include <QMenuBar>
#include <QResizeEvent>
#include <QScreen>
#include <QShowEvent>

namespace {

// A device message on its way to the form.
class DeviceMessageEvent : public QEvent {
 public:
  static QEvent::Type Kind() {
    static const auto kind = static_cast<QEvent::Type>(QEvent::registerEventType());
    return kind;
  }
  explicit DeviceMessageEvent(const TMessage& m) : QEvent(Kind()), Message(m) {}
  TMessage Message;
};

}  // namespace

TClientArea::TClientArea(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  Image = QImage(1, 1, QImage::Format_RGB32);
  Image.fill(Qt::white);
}

void TClientArea::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  painter.drawImage(event->rect(), Image, event->rect());
}

void TClientArea::resizeEvent(QResizeEvent* event) {
  const QSize old = Image.size();
  const QSize now = event->size().expandedTo(QSize(1, 1));
  if (now != old) {
    // Keep what is drawn where it still fits; the parts that grew in have
    // nothing yet and are painted afresh.
    QImage grown(now, QImage::Format_RGB32);
    grown.fill(Qt::white);
    QPainter(&grown).drawImage(0, 0, Image);
    Image = grown;
    Realign();
    if (now.width() > old.width()) emit Exposed(QRect(old.width(), 0, now.width() - old.width(), now.height()));
    if (now.height() > old.height()) emit Exposed(QRect(0, old.height(), old.width(), now.height() - old.height()));
  } else {
    Realign();
  }
}

void TClientArea::childEvent(QChildEvent* event) {
  if (event->added() && event->child()->isWidgetType()) event->child()->installEventFilter(this);
  QWidget::childEvent(event);
}

bool TClientArea::eventFilter(QObject* watched, QEvent* event) {
  auto* child = qobject_cast<QWidget*>(watched);
  if (child != nullptr && child->parent() == this) {
    if (event->type() == QEvent::Hide) {
      Realign();
      emit Exposed(child->geometry());  // the strip it covered shows the surface again
    } else if (event->type() == QEvent::Show) {
      Realign();
    }
  }
  return QWidget::eventFilter(watched, event);
}

void TClientArea::Realign() {
  int top = 0;
  for (QObject* o : children()) {
    auto* w = qobject_cast<QWidget*>(o);
    if (w != nullptr && w->property("align").toString() == "alTop") {
      w->setGeometry(0, top, width(), w->height());
      if (!w->isHidden()) top += w->height();
    }
  }
  for (QObject* o : children()) {
    auto* w = qobject_cast<QWidget*>(o);
    if (w != nullptr && w->property("align").toString() == "alRight") {
      w->setGeometry(width() - w->width(), top, w->width(), std::max(0, height() - top));
    }
  }
}

TForm::TForm(QWidget* owner) : QMainWindow(owner), FormCanvas(std::make_unique<TCanvas>(Fallback)) {}

void TForm::AttachClientArea() {
  Client = qobject_cast<TClientArea*>(centralWidget());
  if (Client == nullptr) return;
  FormCanvas = std::make_unique<TCanvas>(Client->Surface(), Client);
  connect(Client, &TClientArea::Exposed, this, &TForm::PaintArea);
  // Labels size themselves to their texts, the layout's included.
  for (TLabel* label : findChildren<TLabel*>()) label->SetCaption(label->text());
  ApplyClientSize();
}

void TForm::SetClientWidth(int w) {
  WantedClient.setWidth(w);
  ApplyClientSize();
}

void TForm::SetClientHeight(int h) {
  WantedClient.setHeight(h);
  ApplyClientSize();
}

void TForm::ApplyClientSize() {
  if (Client == nullptr || WantedClient.width() <= 0 || WantedClient.height() <= 0) return;
  // The window is the client area plus the menu bar: size it so that the
  // client area comes out as wanted.
  resize(WantedClient.width(), WantedClient.height() + (menuBar() != nullptr ? menuBar()->sizeHint().height() : 0));
  if (layout() != nullptr) layout()->activate();
  const QSize off = WantedClient - Client->size();
  if (!off.isNull()) resize(size() + off);
}

void TForm::showEvent(QShowEvent* event) {
  if (!Shown) {
    Shown = true;
    if (Placement == "poScreenCenter" && screen() != nullptr) {
      QRect frame = frameGeometry();
      frame.moveCenter(screen()->availableGeometry().center());
      move(frame.topLeft());
    }
  }
  QMainWindow::showEvent(event);
}

void TForm::PostMessage(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) {
  QCoreApplication::postEvent(this, new DeviceMessageEvent(TMessage{msg, wParam, lParam, 0}));
}

void TForm::Dispatch(void* message) { emit UnhandledMessage(static_cast<TMessage*>(message)->Msg); }

bool TForm::event(QEvent* event) {
  if (event->type() == DeviceMessageEvent::Kind()) {
    Dispatch(&static_cast<DeviceMessageEvent*>(event)->Message);
    return true;
  }
  return QMainWindow::event(event);
}

void TForm::closeEvent(QCloseEvent* event) {
  TCloseAction action = TCloseAction::caFree;
  emit OnClose(action);
  if (action == TCloseAction::caNone) {
    event->ignore();
  } else {
    event->accept();
  }
}

int TForm::ClientWidth() const { return Client != nullptr ? Client->width() : 0; }
int TForm::ClientHeight() const { return Client != nullptr ? Client->height() : 0; }

void TForm::PaintArea(const QRect& area) {
  if (Client == nullptr) return;
  // A paint has a position of its own: it does not move the pen of the drawing outside it.
  const QPoint pen = FormCanvas->PenPos();
  FormCanvas->FillRect(area, Background);
  FormCanvas->SetClip(area);
  emit OnPaint();
  FormCanvas->ClearClip();
  FormCanvas->SetPenPos(pen);
}

void TForm::Repaint() {
  if (Client == nullptr) return;
  PaintArea(Client->rect());
  Client->repaint();
}
