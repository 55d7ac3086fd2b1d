// The run flag, the stop buttons and the button states around the long runs. Everything runs
// on the window thread: a run polls RunningFlag after letting the view process pending input,
// and disabled buttons keep a second command from starting meanwhile.
#include "app/main_form.h"

namespace vorn {

std::vector<TButton*> CommandSet(TForm1& f) {
  return {&f.Button2, &f.Button3, &f.Button17, &f.Button4, &f.Button5,
          &f.Button6, &f.Button8, &f.Button9,  &f.Button11};
}

void TForm1::SetCommandSet(bool enabled) {
  for (TButton* b : CommandSet(*this)) b->Enabled = enabled;
}

void TForm1::Button10Click() { RunningFlag = false; }
void TForm1::Button7Click() { RunningFlag = false; }

void TForm1::Button23Click() {
  if (Button23.Caption == "中止") {
    RunningFlag = false;
    return;
  }
  if (Button23.Caption == "再計算") RecalculatePointTimes();
}

void TForm1::RunEsc() {
  SetCommandSet(true);
  Button7.Enabled = false;
  RunningFlag = false;
}

void TForm1::BeginHourlyRun() {
  RunningFlag = true;
  Button10.Enabled = true;
  Button2.Enabled = false;
  Button3.Enabled = false;
  Button17.Enabled = false;
}

void TForm1::EndHourlyRun() {
  Button10.Enabled = false;
  Button2.Enabled = true;
  Button3.Enabled = true;
  ProgressBar1.Position = 0;
}

void TForm1::BeginIsochroneRun() {
  RunningFlag = true;
  SetCommandSet(false);
  Button7.Enabled = true;
}

void TForm1::EndIsochroneRun() {
  SetCommandSet(true);
  Button7.Enabled = false;
}

void TForm1::BeginPointTimeRun() {
  RunningFlag = true;
  Button7.Enabled = true;
  for (TButton* b : {&Button5, &Button15, &Button4, &Button6, &Button2, &Button3, &Button17,
                     &Button8, &Button11, &Button9}) {
    b->Enabled = false;
  }
  Button23.Caption = "中止";
}

void TForm1::EndPointTimeRun() {
  for (TButton* b : {&Button2, &Button3, &Button17, &Button8, &Button9, &Button11, &Button5,
                     &Button15, &Button6}) {
    b->Enabled = true;
  }
  Button7.Enabled = false;
  // Only a run that was not stopped gives Button4 back.
  Button4.Enabled = RunningFlag;
  Button23.Caption = "再計算";
  ProgressBar1.Position = 0;
}

void TForm1::PageControl1Change() {
  if (PageControl1.ActivePageIndex != 1) return;
  SetKernelProgress(false);
  if (Button6.Enabled) CheckListBox1Click();
}

}  // namespace vorn
