#include <gtest/gtest.h>

#include "form_fixture.h"

namespace vorn::testing {
namespace {

class TrueNorth : public FormTest {
 protected:
  void SetUp() override {
    f = StartForm();
    shell.calls.clear();
    f->Edit12.Text = "90.0";
    f->workspace.AryPoint.push_back({});
  }
  int BlipMode() {
    auto doc = cad.host.Application()->ActiveDocument();
    return std::get<int32_t>(doc->GetVariable("BLIPMODE"));
  }
  std::unique_ptr<TForm1> f;
};

TEST_F(TrueNorth, PickedAngleGoesIntoEdit12InDegrees) {
  cad.host.NewDrawing();
  cad.user.Angle(0.5235987755982988);  // 30°
  f->SpeedButton1Click();
  EXPECT_EQ(f->Edit12.Text, "30.0000");
  EXPECT_EQ(cad.user.Requests(), (std::vector<std::string>{"真北の方向（角度）を指示 : "}));
  EXPECT_NE(cad.host.PromptLog().find("指示された角度 : 30.0000\r\n"), std::string::npos);
  EXPECT_EQ(BlipMode(), 0);
  EXPECT_TRUE(f->workspace.AryPoint.empty());
  EXPECT_EQ(shell.calls, (std::vector<std::string>{"Minimize", "Restore"}));
}

TEST_F(TrueNorth, NegativeAndLargeAnglesUseFourDecimals) {
  cad.host.NewDrawing();
  cad.user.Angle(-1.0);
  f->SpeedButton1Click();
  EXPECT_EQ(f->Edit12.Text, "-57.2958");
}

TEST_F(TrueNorth, CancelledPickLeavesEdit12AndRestoresTheWindow) {
  cad.host.NewDrawing();
  cad.user.Cancel();
  f->SpeedButton1Click();
  EXPECT_EQ(f->Edit12.Text, "90.0");
  EXPECT_EQ(BlipMode(), 0);
  EXPECT_TRUE(shell.mainWindowNormal);
  EXPECT_EQ(shell.calls, (std::vector<std::string>{"Minimize", "Restore"}));
  EXPECT_TRUE(shell.messages.empty());
}

TEST_F(TrueNorth, WithoutARunningCadNothingHappens) {
  f->SpeedButton1Click();
  EXPECT_EQ(f->Edit12.Text, "90.0");
  EXPECT_TRUE(shell.calls.empty());
  EXPECT_EQ(f->workspace.AryPoint.size(), 1u);
}

}  // namespace
}  // namespace vorn::testing
