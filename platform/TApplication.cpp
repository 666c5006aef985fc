#include "TApplication.h"

#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QTextBrowser>

#include "MessageBoxes.h"

TApplication* TApplication::Application = nullptr;

namespace {

// Shows an exception that escapes an event handler, and goes on.
class GuardedApplication final : public QApplication {
 public:
  using QApplication::QApplication;
  bool notify(QObject* receiver, QEvent* event) override {
    try {
      return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
      if (TApplication::Application != nullptr) TApplication::Application->ShowException(e);
      return true;
    }
  }
};

}  // namespace

TApplication::TApplication(int& argc, char** argv) {
  Qt = std::make_unique<GuardedApplication>(argc, argv);
  Application = this;
  // The program's icon, if it carries one.
  if (QFile::exists(":/MAINICON")) QApplication::setWindowIcon(QIcon(":/MAINICON"));
}

TApplication::~TApplication() {
  delete HelpWindow;
  delete MainForm;
  if (Application == this) Application = nullptr;
}

QString TApplication::Title() {
  const QString name = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
  if (name.isEmpty()) return name;
  return name.left(1).toUpper() + name.mid(1).toLower();
}

void TApplication::Run() {
  if (MainForm == nullptr) return;
  MainForm->show();
  QApplication::exec();
}

void TApplication::ShowException(const std::exception& e) { ShowMessage(QString::fromUtf8(e.what())); }

bool TApplication::HelpCommand(int command, long) {
  if (command != HELP_FINDER) return false;
  QFile file(HelpFile);
  if (!file.open(QIODevice::ReadOnly)) {
    MessageDlg("Cannot open the help file " + HelpFile + ".", TMsgDlgType::mtError);
    return false;
  }
  auto* viewer = qobject_cast<QTextBrowser*>(HelpWindow);
  if (viewer == nullptr) {
    viewer = new QTextBrowser;
    viewer->setObjectName("HelpWindow");
    // Closing the main window ends the program, help window open or not.
    viewer->setAttribute(Qt::WA_QuitOnClose, false);
    viewer->setOpenExternalLinks(false);
    viewer->resize(560, 480);
    HelpWindow = viewer;
  }
  viewer->setWindowTitle(Title() + " Help");
  viewer->setHtml(QString::fromUtf8(file.readAll()));
  viewer->scrollToAnchor("contents");
  viewer->show();
  viewer->raise();
  return true;
}
