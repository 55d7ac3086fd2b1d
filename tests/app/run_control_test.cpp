#include <gtest/gtest.h>

#include <map>

#include "form_fixture.h"

namespace vorn::testing {
namespace {

// Every button of the form with its enabled state, to compare whole states.
std::map<std::string, bool> ButtonStates(TForm1& f) {
  return {{"Button2", f.Button2.Enabled},   {"Button3", f.Button3.Enabled},
          {"Button4", f.Button4.Enabled},   {"Button5", f.Button5.Enabled},
          {"Button6", f.Button6.Enabled},   {"Button7", f.Button7.Enabled},
          {"Button8", f.Button8.Enabled},   {"Button9", f.Button9.Enabled},
          {"Button10", f.Button10.Enabled}, {"Button11", f.Button11.Enabled},
          {"Button15", f.Button15.Enabled}, {"Button17", f.Button17.Enabled}};
}

class RunControl : public FormTest {
 protected:
  void SetUp() override {
    f = StartForm();
    // A building has been picked: the command set is enabled.
    for (TButton* b : CommandSet(*f)) b->Enabled = true;
    f->Button15.Enabled = true;
  }

  // A run of `steps` steps whose stop button is pressed at step `stopAt` (never when 0);
  // returns the number of steps done.
  int RunLoop(int steps, int stopAt, void (TForm1::*stop)()) {
    int done = 0;
    shell.onProcessMessages = [&] {
      if (done + 1 == stopAt) (f.get()->*stop)();
    };
    for (int i = 0; i < steps; ++i) {
      if (!f->RunStep(i + 1)) break;
      ++done;
    }
    shell.onProcessMessages = nullptr;
    return done;
  }

  std::unique_ptr<TForm1> f;
};

TEST_F(RunControl, HourlyRunSwitchesItsButtons) {
  f->BeginHourlyRun();
  EXPECT_TRUE(f->RunningFlag);
  EXPECT_TRUE(f->Button10.Enabled);
  EXPECT_FALSE(f->Button2.Enabled);
  EXPECT_FALSE(f->Button3.Enabled);
  EXPECT_FALSE(f->Button17.Enabled);
  EXPECT_TRUE(f->Button6.Enabled);  // the other commands are not touched
  EXPECT_EQ(RunLoop(5, 0, &TForm1::Button10Click), 5);
  EXPECT_EQ(f->ProgressBar1.Position, 5);
  f->EndHourlyRun();
  EXPECT_FALSE(f->Button10.Enabled);
  EXPECT_TRUE(f->Button2.Enabled);
  EXPECT_TRUE(f->Button3.Enabled);
  EXPECT_FALSE(f->Button17.Enabled);
  EXPECT_EQ(f->ProgressBar1.Position, 0);
}

TEST_F(RunControl, StoppingTheHourlyRunEndsItAndLeavesTheAnimationOff) {
  f->BeginHourlyRun();
  EXPECT_EQ(RunLoop(10, 3, &TForm1::Button10Click), 2);
  EXPECT_FALSE(f->RunningFlag);
  f->EndHourlyRun();
  EXPECT_FALSE(f->Button17.Enabled);
  EXPECT_TRUE(f->Button3.Enabled);
  EXPECT_EQ(shell.CountCalls("ProcessMessages"), 3);
}

TEST_F(RunControl, IsochroneRunDisablesTheCommandSet) {
  f->BeginIsochroneRun();
  EXPECT_TRUE(f->RunningFlag);
  for (TButton* b : CommandSet(*f)) EXPECT_FALSE(b->Enabled) << b->Caption;
  EXPECT_TRUE(f->Button7.Enabled);
  f->EndIsochroneRun();
  for (TButton* b : CommandSet(*f)) EXPECT_TRUE(b->Enabled) << b->Caption;
  EXPECT_FALSE(f->Button7.Enabled);
}

TEST_F(RunControl, StoppingAnIsochroneRunRestoresTheNineButtonsThroughRunEsc) {
  f->BeginIsochroneRun();
  EXPECT_EQ(RunLoop(10, 4, &TForm1::Button7Click), 3);
  f->RunEsc();
  EXPECT_EQ(CommandSet(*f).size(), 9u);
  for (TButton* b : CommandSet(*f)) EXPECT_TRUE(b->Enabled) << b->Caption;
  EXPECT_FALSE(f->Button7.Enabled);
  EXPECT_FALSE(f->RunningFlag);
}

TEST_F(RunControl, PointTimeRunToItsEnd) {
  f->BeginPointTimeRun();
  EXPECT_TRUE(f->RunningFlag);
  EXPECT_TRUE(f->Button7.Enabled);
  EXPECT_EQ(f->Button23.Caption, "中止");
  for (const char* name : {"Button2", "Button3", "Button4", "Button5", "Button6", "Button8",
                           "Button9", "Button11", "Button15", "Button17"}) {
    EXPECT_FALSE(ButtonStates(*f)[name]) << name;
  }
  EXPECT_EQ(RunLoop(4, 0, &TForm1::Button23Click), 4);
  f->EndPointTimeRun();
  EXPECT_TRUE(f->RunningFlag);  // left as it was
  EXPECT_TRUE(f->Button4.Enabled);
  EXPECT_FALSE(f->Button7.Enabled);
  EXPECT_EQ(f->Button23.Caption, "再計算");
  EXPECT_EQ(f->ProgressBar1.Position, 0);
  for (const char* name : {"Button2", "Button3", "Button5", "Button6", "Button8", "Button9",
                           "Button11", "Button15", "Button17"}) {
    EXPECT_TRUE(ButtonStates(*f)[name]) << name;
  }
}

TEST_F(RunControl, StoppedPointTimeRunLeavesButton4Off) {
  f->BeginPointTimeRun();
  EXPECT_EQ(RunLoop(4, 2, &TForm1::Button23Click), 1);  // Button23 reads "中止"
  f->EndPointTimeRun();
  EXPECT_FALSE(f->Button4.Enabled);
  EXPECT_TRUE(f->Button15.Enabled);
  EXPECT_EQ(f->Button23.Caption, "再計算");
}

TEST_F(RunControl, StopRequestsWhenNothingRunsChangeNothing) {
  const auto before = ButtonStates(*f);
  const int position = f->ProgressBar1.Position;
  f->Button10Click();
  f->Button7Click();
  EXPECT_FALSE(f->RunningFlag);
  EXPECT_EQ(ButtonStates(*f), before);
  EXPECT_EQ(f->ProgressBar1.Position, position);
  EXPECT_TRUE(shell.messages.empty());
}

TEST_F(RunControl, StopButtonsNeverSetTheFlag) {
  f->RunningFlag = false;
  f->Button10Click();
  f->Button23Click();  // reads "再計算": starts the recalculation, which is not the stop
  EXPECT_FALSE(f->RunningFlag);
}

TEST_F(RunControl, PageChangeToTheIsochronePageClearsKernelProgress) {
  f->SetKernelProgress(true);
  f->PageControl1.ActivePageIndex = 3;
  f->PageControl1Change();
  EXPECT_TRUE(f->KernelProgress());
  f->PageControl1.ActivePageIndex = 1;
  f->PageControl1Change();
  EXPECT_FALSE(f->KernelProgress());
  EXPECT_EQ(f->workspace.KernelProgress, nullptr);
}

TEST_F(RunControl, KernelStepsDriveTheProgressBarThroughTheWorkspace) {
  f->SetKernelProgress(true);
  ProgressSink* sink = f->workspace.KernelProgress;
  ASSERT_NE(sink, nullptr);
  sink->SetMaximum(30);
  sink->SetPosition(7);
  sink->ProcessMessages();
  EXPECT_EQ(f->ProgressBar1.Max, 30);
  EXPECT_EQ(sink->Position(), 7);
  EXPECT_EQ(shell.CountCalls("ProcessMessages"), 1);
}

}  // namespace
}  // namespace vorn::testing
