#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QSet>
#include <QMenu>
#include <QMenuBar>

#include "WindowHarness.h"

namespace zizovez {
namespace {

using test::Window;

TEST(Layout, WindowCaptionClientAreaAndPanels) {
  Window w;
  TDelayForm& f = *w.form;
  EXPECT_EQ(f.windowTitle(), "Zizovez 1.01 (beta) - Receiver Delay Measurement");
  EXPECT_EQ(f.ClientWidth(), 511);
  EXPECT_EQ(f.ClientHeight(), 421);
  EXPECT_EQ(f.ControlPanel->geometry(), QRect(0, 0, 511, 49));
  EXPECT_TRUE(f.GainPanel->isHidden());
  EXPECT_FALSE(f.LGainChkBox->isChecked());
  EXPECT_EQ(f.WindowColor(), QColor(Qt::white));
}

TEST(Layout, ControlsSitWhereTheLayoutPutsThem) {
  Window w;
  TDelayForm& f = *w.form;
  struct Case {
    QWidget* control;
    QWidget* parent;
    QPoint topLeft;
    QSize size;  // empty for labels, which size themselves to their texts
  } cases[] = {
      {f.StartButton, f.ControlPanel, {8, 4}, {75, 25}},   {f.LGainChkBox, f.ControlPanel, {8, 29}, {113, 17}},
      {f.PulsesLbl, f.ControlPanel, {116, 4}, {}},         {f.DelayLbl, f.ControlPanel, {236, 4}, {}},
      {f.LClipLbl, f.ControlPanel, {148, 31}, {}},         {f.LClipLt, f.ControlPanel, {264, 32}, {13, 13}},
      {f.SigLbl, f.ControlPanel, {400, 4}, {}},            {f.LevelGauge, f.ControlPanel, {384, 20}, {100, 20}},
      {f.RClipLt, f.ControlPanel, {488, 24}, {13, 13}},    {f.LGainLbl, f.GainPanel, {8, 24}, {}},
      {f.LGainLbl2, f.GainPanel, {8, 36}, {}},             {f.MinLbl, f.GainPanel, {8, 64}, {}},
      {f.LGainBar, f.GainPanel, {1, 76}, {40, 150}},       {f.MaxLbl, f.GainPanel, {8, 224}, {}},
  };
  for (const auto& c : cases) {
    const QString name = c.control->objectName();
    EXPECT_EQ(c.control->parentWidget(), c.parent) << name.toStdString();
    EXPECT_EQ(c.control->pos(), c.topLeft) << name.toStdString();
    if (!c.size.isEmpty()) {
      EXPECT_EQ(c.control->size(), c.size) << name.toStdString();
    }
  }
}

TEST(Layout, TextsAndStartingValues) {
  Window w;
  TDelayForm& f = *w.form;
  EXPECT_EQ(f.StartButton->text(), "Start");
  EXPECT_EQ(f.LGainChkBox->text(), "Show gain control");
  EXPECT_EQ(f.PulsesLbl->text(), "0 pulses");
  EXPECT_EQ(f.DelayLbl->text(), "Delay:");
  EXPECT_EQ(f.LClipLbl->text(), "Left audio level warning");
  EXPECT_EQ(f.SigLbl->text(), "Trigger signal level");
  EXPECT_EQ(f.LGainLbl->text(), "Left");
  EXPECT_EQ(f.LGainLbl2->text(), "Gain");
  EXPECT_EQ(f.MinLbl->text(), "0 dB");
  EXPECT_EQ(f.MaxLbl->text(), "20 dB");
  EXPECT_EQ(f.PulsesLbl->font().pixelSize(), 19);
  EXPECT_EQ(f.SigLbl->font().pixelSize(), 11);
  EXPECT_EQ(f.LevelGauge->Progress(), 0);
  EXPECT_EQ(f.LevelGauge->MaxValue(), 100);
  EXPECT_EQ(f.LevelGauge->ForeColor(), QColor(0, 255, 255));
  EXPECT_EQ(f.RClipLt->BrushColor(), QColor(Qt::white));
  EXPECT_EQ(f.LClipLt->BrushColor(), QColor(Qt::white));
  EXPECT_EQ(f.LGainBar->orientation(), Qt::Vertical);
  EXPECT_EQ(f.LGainBar->minimum(), 0);
  EXPECT_EQ(f.LGainBar->maximum(), 20);
  EXPECT_EQ(f.LGainBar->value(), 0);
  EXPECT_EQ(f.LGainBar->tickInterval(), 1);
  EXPECT_EQ(f.LGainBar->pageStep(), 2);
  EXPECT_TRUE(f.LGainBar->invertedAppearance()) << "minimum at the top";
}

TEST(Layout, MenuHasFileWithExitAndTwoCommandsOnTheBar) {
  Window w;
  const QList<QAction*> bar = w.form->MainMenu1->actions();
  ASSERT_EQ(bar.size(), 3);
  EXPECT_EQ(bar[0]->text(), "&File");
  ASSERT_NE(bar[0]->menu(), nullptr);
  const QList<QAction*> file = bar[0]->menu()->actions();
  ASSERT_EQ(file.size(), 1);
  EXPECT_EQ(file[0], w.form->Exit1);
  EXPECT_EQ(file[0]->text(), "E&xit");
  EXPECT_EQ(bar[1], w.form->Help1);
  EXPECT_EQ(bar[1]->text(), "&Help");
  EXPECT_EQ(bar[1]->menu(), nullptr) << "acts at once from the bar";
  EXPECT_EQ(bar[2], w.form->About1);
  EXPECT_EQ(bar[2]->text(), "&About...");
}

TEST(Layout, TabOrderIsStartThenCheckBoxThenSlider) {
  Window w;
  EXPECT_EQ(w.form->StartButton->nextInFocusChain(), w.form->LGainChkBox);
  for (QWidget* passive : std::initializer_list<QWidget*>{w.form->PulsesLbl, w.form->LevelGauge, w.form->RClipLt}) {
    EXPECT_EQ(passive->focusPolicy(), Qt::NoFocus) << passive->objectName().toStdString();
  }
}

TEST(Layout, PanelsFollowTheClientAreaWhenResized) {
  Window w;
  w.form->LGainChkBox->click();
  w.Settle();
  EXPECT_EQ(w.form->GainPanel->geometry(), QRect(466, 49, 45, 372));
  w.form->resize(700, w.form->height() + 100);
  w.Settle();
  const int width = w.form->ClientWidth(), height = w.form->ClientHeight();
  EXPECT_EQ(width, 700);
  EXPECT_EQ(w.form->ControlPanel->geometry(), QRect(0, 0, width, 49));
  EXPECT_EQ(w.form->GainPanel->geometry(), QRect(width - 45, 49, 45, height - 49));
  EXPECT_EQ(w.form->RClipLt->pos(), QPoint(488, 24)) << "controls keep their places";
}

TEST(Layout, TheProgramsIconIsTheWindowsIcon) {
  Window w;
  const QImage icon = QImage(":/MAINICON");
  ASSERT_FALSE(icon.isNull());
  EXPECT_EQ(icon.size(), QSize(32, 32));
  // A black box with a white question mark, a magenta and a green stroke.
  QSet<QRgb> colours;
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) colours.insert(icon.pixel(x, y));
  EXPECT_LE(colours.size(), 16);
  for (const QRgb c : {qRgb(0, 0, 0), qRgb(255, 255, 255), qRgb(255, 0, 255), qRgb(0, 192, 0)}) {
    EXPECT_TRUE(colours.contains(c)) << std::hex << c;
  }
  EXPECT_FALSE(w.form->windowIcon().isNull()) << "the window shows the application's icon";
  EXPECT_TRUE(QApplication::windowIcon().availableSizes().contains(QSize(32, 32)));
}

}  // namespace
}  // namespace zizovez
