#include "MessageBoxes.h"

#include <QMessageBox>

#include "TApplication.h"

namespace {

QMessageBox::Icon IconOf(TMsgDlgType type) {
  switch (type) {
    case TMsgDlgType::mtWarning: return QMessageBox::Warning;
    case TMsgDlgType::mtError: return QMessageBox::Critical;
    case TMsgDlgType::mtInformation: return QMessageBox::Information;
    case TMsgDlgType::mtConfirmation: return QMessageBox::Question;
  }
  return QMessageBox::NoIcon;
}

QString CaptionOf(TMsgDlgType type) {
  switch (type) {
    case TMsgDlgType::mtWarning: return "Warning";
    case TMsgDlgType::mtError: return "Error";
    case TMsgDlgType::mtInformation: return "Information";
    case TMsgDlgType::mtConfirmation: return "Confirm";
  }
  return QString();
}

void Show(const QString& caption, const QString& text, QMessageBox::Icon icon) {
  // No parent: the box is centred on the screen, not on a window.
  QMessageBox box;
  box.setWindowTitle(caption);
  box.setTextFormat(Qt::PlainText);
  box.setText(text);
  box.setIcon(icon);
  box.setStandardButtons(QMessageBox::Ok);
  box.setDefaultButton(QMessageBox::Ok);
  box.setEscapeButton(QMessageBox::Ok);
  box.exec();
}

class QtBoxes final : public MessageBoxService {
 public:
  void ShowMessage(const QString& caption, const QString& text) override {
    Show(caption, text, QMessageBox::NoIcon);
  }
  void MessageDlg(const QString& caption, const QString& text, TMsgDlgType type) override {
    Show(caption, text, IconOf(type));
  }
};

QtBoxes RealBoxes;
MessageBoxService* Service = &RealBoxes;

}  // namespace

void SetMessageBoxService(MessageBoxService* service) { Service = service != nullptr ? service : &RealBoxes; }

void ShowMessage(const QString& text) { Service->ShowMessage(TApplication::Title(), text); }

void MessageDlg(const QString& text, TMsgDlgType type) { Service->MessageDlg(CaptionOf(type), text, type); }
