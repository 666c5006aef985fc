// The program on a real X server (Xvfb), recording through PortAudio and
// ALSA from the FIFO-fed device, driven with xdotool as a user would.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QProcess>
#include <QThread>

#include "DelayText.h"
#include "FifoSoundCard.h"
#include "TApplication.h"
#include "TDelayForm.h"
#include "TestSignal.h"
#include "XServer.h"

namespace zizovez {
namespace {

using test::FifoSoundCard;

const char* ArtefactDir = ZIZOVEZ_ARTEFACTS;

// Runs a command and returns its standard output.
QString Command(const QString& program, const QStringList& args) {
  QProcess p;
  p.start(program, args);
  p.waitForFinished(20000);
  return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

// Processes events for `ms` milliseconds, or until `done` says so.
template <class Done>
bool WaitFor(int ms, Done done) {
  QElapsedTimer t;
  t.start();
  while (!done()) {
    if (t.elapsed() > ms) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

// Clicks at a point of the window's client area (below the menu bar) from
// outside, through the X server, while this process goes on handling events.
void ClickClient(const QString& window, QWidget* client, QPoint at) {
  const QPoint inWindow = client->mapTo(client->window(), at);
  QProcess xdotool;
  xdotool.start("xdotool", {"mousemove", "--window", window, QString::number(inWindow.x()),
                            QString::number(inWindow.y()), "click", "1"});
  WaitFor(10000, [&] { return xdotool.state() == QProcess::NotRunning; });
}

TestSignal Recording() {
  TestSignalOptions o;
  o.DelaysMs = {11 * 1000.0 / 11025, 13 * 1000.0 / 11025};  // 11 and 13 frames, alternately
  o.Pulses = 60;
  o.IntervalMs = 120.0;
  o.NoiseRms = 0.002;
  return GenerateTestSignal(o);
}

TEST(Desktop, MeasuresTheFedDelaysThroughTheRealStack) {
  FifoSoundCard card;
  card.Play(SignalBytes(Recording()));
  TApplication::Application->HelpFile = ZIZOVEZ_HELP_BUILD;
  TApplication::Application->CreateForm(DelayForm);
  DelayForm->show();
  const QString window = Command("xdotool", {"search", "--sync", "--onlyvisible", "--name", "Zizovez 1.01"}).split('\n').first();
  ASSERT_FALSE(window.isEmpty());
  ASSERT_TRUE(WaitFor(5000, [] { return DelayForm->NextBuffer > 2; })) << "recording runs";

  ClickClient(window, DelayForm->ClientArea, DelayForm->StartButton->geometry().center());
  ASSERT_TRUE(DelayForm->Measurement.Running);
  EXPECT_EQ(DelayForm->StartButton->text(), "Stop!");
  ASSERT_TRUE(WaitFor(20000, [] { return DelayForm->Measurement.PulseCount >= 12; }));
  ClickClient(window, DelayForm->ClientArea, DelayForm->StartButton->geometry().center());
  EXPECT_FALSE(DelayForm->Measurement.Running);

  // Pulses of 11 and 13 frames in turn: an even count means 12 frames, an odd
  // one either (11 + 12 (k - 1)) / k or (13 + 12 (k - 1)) / k.
  const int k = DelayForm->Measurement.PulseCount;
  EXPECT_EQ(DelayForm->PulsesLbl->text(), QString::number(k) + " pulses");
  const double frame = 1000.0 / 11025;
  QStringList candidates;
  for (const double extra : k % 2 == 0 ? std::vector<double>{0} : std::vector<double>{-1, 1}) {
    candidates << "Delay: " + QString::fromStdString(FormatTwoDecimals((12 * k + extra) * frame / k, "."));
  }
  EXPECT_TRUE(candidates.contains(DelayForm->DelayLbl->text()))
      << DelayForm->DelayLbl->text().toStdString() << " after " << k << " pulses";

  QDir().mkpath(ArtefactDir);
  const QString shot = QString(ArtefactDir) + "/zizovez-window.png";
  Command("import", {"-window", window, shot});
  const QImage image(shot);
  ASSERT_FALSE(image.isNull());
  EXPECT_EQ(image.width(), DelayForm->width());
  DelayForm->close();
  card.Stop();
}

TEST(Desktop, InstalledProgramStartsMeasuresAndExitsQuietly) {
  const QString prefix = QDir::tempPath() + "/zizovez-install-" + QString::number(getpid());
  const QString install = Command("cmake", {"--install", ZIZOVEZ_BUILD_DIR, "--prefix", prefix});
  const QString program = prefix + "/bin/zizovez";
  ASSERT_TRUE(QFile::exists(program)) << install.toStdString();
  for (const char* file : {"/share/zizovez/Dididari.hlp", "/share/applications/zizovez.desktop",
                           "/share/pixmaps/zizovez.xpm", "/share/man/man1/zizovez.1", "/bin/zizovez-measure"}) {
    EXPECT_TRUE(QFile::exists(prefix + file)) << file;
  }

  FifoSoundCard card;
  card.Play(SignalBytes(Recording()));
  QProcess zizovez;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove("QT_QPA_PLATFORM");
  const QString runtime = prefix + "/runtime";
  QDir().mkpath(runtime);
  QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  env.insert("XDG_RUNTIME_DIR", runtime);
  zizovez.setProcessEnvironment(env);
  zizovez.start(program, {});
  ASSERT_TRUE(zizovez.waitForStarted());
  const QString window = Command("xdotool", {"search", "--sync", "--onlyvisible", "--name", "Zizovez 1.01"}).split('\n').first();
  ASSERT_FALSE(window.isEmpty());
  QThread::msleep(800);
  Command("xdotool", {"mousemove", "--window", window, "45", QString::number(4 + 12 + 22), "click", "1"});
  QThread::msleep(2500);
  const QString shot = QString(ArtefactDir) + "/zizovez-installed.png";
  Command("import", {"-window", window, shot});
  // File > Exit from the keyboard.
  Command("xdotool", {"windowfocus", "--sync", window});
  Command("xdotool", {"key", "--window", window, "alt+f"});
  QThread::msleep(300);
  Command("xdotool", {"key", "x"});
  const bool exited = zizovez.waitForFinished(10000);
  if (!exited) zizovez.kill();
  card.Stop();
  EXPECT_TRUE(exited) << "File > Exit ends the program";
  EXPECT_EQ(zizovez.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(zizovez.exitCode(), 0);
  EXPECT_EQ(zizovez.readAllStandardError().toStdString(), "") << "nothing from the sound system or Qt";

  // The shot shows a trace: black pixels in the trace area.
  const QImage image(shot);
  ASSERT_FALSE(image.isNull());
  int black = 0;
  for (int y = image.height() / 2; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) black += image.pixel(x, y) == qRgb(0, 0, 0);
  EXPECT_GT(black, 100);
  QDir(prefix).removeRecursively();
}

}  // namespace
}  // namespace zizovez

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  zizovez::test::XServer x;
  if (!x.Running()) {
    std::fprintf(stderr, "desktop tests: no X server could be started (is Xvfb installed?)\n");
    return 1;
  }
  setenv("QT_QPA_PLATFORM", "xcb", 1);
  const std::string runtime = QDir::tempPath().toStdString() + "/zizovez-runtime-" + std::to_string(getpid());
  mkdir(runtime.c_str(), 0700);
  setenv("XDG_RUNTIME_DIR", runtime.c_str(), 0);
  TApplication application(argc, argv);
  return RUN_ALL_TESTS();
}
