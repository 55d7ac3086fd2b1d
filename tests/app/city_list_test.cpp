#include "app/city_list.h"

#include <gtest/gtest.h>

#include "form_fixture.h"

namespace vorn::testing {
namespace {

TEST(CityList, HasThe48BuiltInItemsInOrder) {
  const auto& cities = BuiltInCities();
  ASSERT_EQ(cities.size(), 48u);
  EXPECT_EQ(cities.front(), "基準  ,36°00′");
  EXPECT_EQ(cities[1], "北海道,43°04′");
  EXPECT_EQ(cities[14], "神奈川,35°27′");
  EXPECT_EQ(cities.back(), "沖縄  ,26°12′");
  for (const auto& c : cities) EXPECT_EQ(ParseCityLatitude(c).seconds, "00") << c;
}

struct CityCase {
  const char* item;
  CityLatitude expected;
};

class CityParsing : public ::testing::TestWithParam<CityCase> {};

TEST_P(CityParsing, FillsTheLatitudeBoxes) {
  EXPECT_EQ(ParseCityLatitude(GetParam().item), GetParam().expected) << GetParam().item;
}

INSTANTIATE_TEST_SUITE_P(
    Items, CityParsing,
    ::testing::Values(CityCase{"北海道,43°04′", {"43", "04", "00"}},
                      CityCase{"札幌,35°10′20″", {"35", "10", "20"}},
                      CityCase{"どこか,35 10", {"36", "00", "00"}},
                      CityCase{"a, 35 ° 10 ′ 20 ″", {"35", "10", "20"}},
                      CityCase{"a,b,33°33′", {"33", "33", "00"}},  // the last ","
                      CityCase{",°′″", {"36", "00", "00"}},        // nothing between markers
                      CityCase{"", {"36", "00", "00"}}));

TEST_F(FormTest, ChoosingACitySetsTheLatitude) {
  auto f = StartForm();
  ASSERT_EQ(f->ComboBox1.Items.size(), 48u);
  f->ComboBox1.ItemIndex = 1;
  f->ComboBox1Change();
  EXPECT_EQ(f->Edit3.Text, "43");
  EXPECT_EQ(f->Edit5.Text, "04");
  EXPECT_EQ(f->Edit23.Text, "00");
}

TEST_F(FormTest, TypedCityTextChangesNothing) {
  auto f = StartForm();
  f->ComboBox1.ItemIndex = -1;
  f->ComboBox1.Text = "大阪,34°41′";
  f->ComboBox1Change();
  EXPECT_EQ(f->Edit3.Text, "36");
  EXPECT_EQ(f->Edit5.Text, "0");
}

TEST_F(FormTest, CityFileReplacesTheBuiltInItems) {
  WriteFile(exeFolder() / "vorn_ido.txt", "\xEF\xBB\xBF札幌,35°10′20″\r\n無印\r\n");
  auto f = StartForm();
  ASSERT_EQ(f->ComboBox1.Items, (std::vector<std::string>{"札幌,35°10′20″", "無印"}));
  f->ComboBox1.ItemIndex = 0;
  f->ComboBox1Change();
  EXPECT_EQ(f->Edit3.Text, "35");
  EXPECT_EQ(f->Edit5.Text, "10");
  EXPECT_EQ(f->Edit23.Text, "20");
  f->ComboBox1.ItemIndex = 1;
  f->ComboBox1Change();
  EXPECT_EQ(f->Edit3.Text, "36");
  EXPECT_EQ(f->Edit5.Text, "00");
  EXPECT_EQ(f->Edit23.Text, "00");
}

TEST_F(FormTest, CityFileInTheOldCodePageIsRead) {
  // "東京,35°40′" in CP932.
  WriteFile(exeFolder() / "vorn_ido.txt",
            "\x93\x8C\x8B\x9E,35\x81\x8B"
            "40\x81\x8C\r\n");
  auto f = StartForm();
  ASSERT_EQ(f->ComboBox1.Items.size(), 1u);
  EXPECT_EQ(f->ComboBox1.Items[0], "東京,35°40′");
}

}  // namespace
}  // namespace vorn::testing
