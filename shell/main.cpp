// Program entry: the application object, its help file, the main window,
// and the message loop until the window closes.
#include <QFile>

#include "TApplication.h"
#include "TDelayForm.h"

int main(int argc, char** argv) {
  TApplication app(argc, argv);
  try {
    // The installed copy where there is one, else the one beside the build.
    app.HelpFile = QFile::exists(ZIZOVEZ_HELP_INSTALLED) ? ZIZOVEZ_HELP_INSTALLED : ZIZOVEZ_HELP_BUILD;
    app.CreateForm(DelayForm);
    app.Run();
  } catch (const std::exception& e) {
    app.ShowException(e);
  }
  return 0;
}
