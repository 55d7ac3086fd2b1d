#include "app/number_box.h"

#include <gtest/gtest.h>

#include <cmath>

#include "form_fixture.h"
#include "geometry/point_ops.h"

namespace vorn::testing {
namespace {

struct DoubleCase {
  const char* text;
  std::optional<double> expected;
};

class ParseDoubleCases : public ::testing::TestWithParam<DoubleCase> {};

TEST_P(ParseDoubleCases, AcceptOnlyWholeFiniteNumbers) {
  EXPECT_EQ(ParseDouble(GetParam().text), GetParam().expected) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ParseDoubleCases,
    ::testing::Values(DoubleCase{"4.0", 4.0}, DoubleCase{" -2.5 ", -2.5}, DoubleCase{"+3", 3.0},
                      DoubleCase{".5", 0.5}, DoubleCase{"1e3", 1000.0}, DoubleCase{"", {}},
                      DoubleCase{"  ", {}}, DoubleCase{"abc", {}}, DoubleCase{"4.0m", {}},
                      DoubleCase{"1,5", {}}, DoubleCase{"++1", {}}, DoubleCase{"inf", {}},
                      DoubleCase{"nan", {}}, DoubleCase{"1e999", {}}, DoubleCase{"-", {}}));

TEST(TextToNumber, ThrowsConversionErrorCarryingTheText) {
  try {
    TextToDouble("4,0");
    FAIL() << "no error";
  } catch (const ConversionError& e) {
    EXPECT_EQ(e.Text(), "4,0");
    EXPECT_EQ(std::string(e.what()), "'4,0' は有効な数値ではありません．");
  }
  EXPECT_THROW(TextToInt("1.5"), ConversionError);
  EXPECT_EQ(TextToInt(" 12 "), 12);
  EXPECT_EQ(BoxToDoubleOr(TEdit{.Text = "x"}, 7.0), 7.0);
}

TEST_F(FormTest, ABoxThatIsNotANumberEndsTheCommandWithAMessage) {
  auto f = StartForm();
  f->Edit4.Text = "abc";
  bool reachedTheEnd = false;
  EXPECT_FALSE(f->RunCommand([&] {
    f->GB_takasa = BoxToDouble(f->Edit4) * 1000.0;
    reachedTheEnd = true;
  }));
  EXPECT_FALSE(reachedTheEnd);
  ASSERT_EQ(shell.messages.size(), 1u);
  EXPECT_EQ(shell.messages[0].caption, "Vorn2023");
  EXPECT_EQ(shell.messages[0].text, "'abc' は有効な数値ではありません．");

  f->Edit4.Text = "4.5";
  EXPECT_TRUE(f->RunCommand([&] { f->GB_takasa = BoxToDouble(f->Edit4) * 1000.0; }));
  EXPECT_EQ(f->GB_takasa, 4500.0);
  EXPECT_EQ(shell.messages.size(), 1u);
}

TEST_F(FormTest, ShadowParametersComeFromTheBoxes) {
  auto f = StartForm();  // defaults: 36°0'0", north 90.0, plane 4.0 m, 8.0 to 16.0 h, winter
  f->ReadShadowParameters();
  EXPECT_EQ(f->GB_kita, 90.0);
  EXPECT_EQ(f->GB_kisetu, 0);
  EXPECT_EQ(f->GB_idodo, 36.0);
  EXPECT_EQ(f->GB_takasa, 4000.0);
  EXPECT_EQ(f->GB_kaisi, 8.0);
  EXPECT_EQ(f->GB_owari, 16.0);
  const SunState& sun = f->workspace.sun;
  EXPECT_DOUBLE_EQ(sun.SinLat, std::sin(36.0 * kPi / 180.0));
  EXPECT_DOUBLE_EQ(sun.SinDecl, std::sin(-0.40927970959267024));
  EXPECT_DOUBLE_EQ(sun.NorthAngle, 0.0);
}

TEST_F(FormTest, ShadowParametersRefuseABoxThatIsNotANumber) {
  auto f = StartForm();
  f->Edit7.Text = "16:00";
  EXPECT_FALSE(f->RunCommand([&] { f->ReadShadowParameters(); }));
  ASSERT_EQ(shell.messages.size(), 1u);
  EXPECT_EQ(shell.messages[0].text, "'16:00' は有効な数値ではありません．");
}

}  // namespace
}  // namespace vorn::testing
