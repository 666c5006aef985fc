// What the user asks through the button, the check box and the menu.
#include "MessageBoxes.h"
#include "TApplication.h"
#include "TDelayForm.h"

void TDelayForm::StartButtonClick() {
  if (!Measurement.Running) {
    Measurement.Running = true;
    StartButton->setText("Stop!");
    Repaint();
    Measurement.PulseCount = 0;
    Measurement.DelaySum = 0.0f;
  } else {
    Measurement.Running = false;
    StartButton->setText("Start");
  }
}

void TDelayForm::LGainChkBoxClick() { GainPanel->setVisible(LGainChkBox->isChecked()); }

void TDelayForm::Exit1Click() { close(); }

void TDelayForm::Help1Click() { TApplication::Application->HelpCommand(HELP_FINDER, 0); }

void TDelayForm::About1Click() {
  MessageDlg(QStringList{"", "Zizovez: receiver delay measurement, by the Zizovez developers", "6 Oct 2002", "",
                         "Please report bugs to: zizovez@users.invalid"}
                 .join('\n'),
             TMsgDlgType::mtInformation);
}
