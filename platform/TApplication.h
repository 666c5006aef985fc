// The application object of our toolkit layer: initialisation, the title,
// the help file and help command, the creation of forms, the message loop
// and the display of exceptions that escape a handler.
#pragma once

#include <exception>
#include <memory>

#include <QApplication>
#include <QString>

#include "TForm.h"

inline constexpr int HELP_FINDER = 11;  // open the help file at its contents

class TApplication {
 public:
  TApplication(int& argc, char** argv);
  ~TApplication();

  // The program file's name without folder and extension, its first letter
  // capital and the rest lower case.
  static QString Title();

  QString HelpFile;

  // Builds a form from its layout, runs its OnCreate (an exception there is
  // shown, and the form is still created) and stores it in `reference`; the
  // first form created is the main form.
  template <class Form>
  void CreateForm(Form*& reference) {
    auto* form = new Form();
    reference = form;
    if (MainForm == nullptr) MainForm = form;
    try {
      form->Create();
    } catch (const std::exception& e) {
      ShowException(e);
    }
  }

  // Shows the main form and runs the message loop until it closes.
  void Run();
  // A modal error box with the exception's message, captioned with the title.
  void ShowException(const std::exception& e);
  // Opens the help file: HELP_FINDER opens it at its table of contents. Returns at once.
  bool HelpCommand(int command, long data);

  TForm* Main() const { return MainForm; }

  static TApplication* Application;

 private:
  std::unique_ptr<QApplication> Qt;
  TForm* MainForm = nullptr;
  QWidget* HelpWindow = nullptr;
};
