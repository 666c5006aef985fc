// The plain message box and the message dialog of our toolkit layer. They go
// through a service that tests replace with a recorder.
#pragma once

#include <QString>

enum class TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation };

class MessageBoxService {
 public:
  virtual ~MessageBoxService() = default;
  // A modal box with the text alone: no icon, one "OK", centred on the screen.
  virtual void ShowMessage(const QString& caption, const QString& text) = 0;
  // A modal box with the icon of `type` and one "OK", centred on the screen.
  virtual void MessageDlg(const QString& caption, const QString& text, TMsgDlgType type) = 0;
};

// nullptr: the real boxes.
void SetMessageBoxService(MessageBoxService* service);

// Captioned with the application's title; returns when the user has closed it.
// Messages go on being dispatched while it is open.
void ShowMessage(const QString& text);
// Captioned after its type ("Information" for an information box).
void MessageDlg(const QString& text, TMsgDlgType type);
