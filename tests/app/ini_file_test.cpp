#include "app/ini_file.h"

#include <gtest/gtest.h>

#include "form_fixture.h"

namespace vorn::testing {
namespace {

TEST(IniFile, ReadsSectionsAndKeysWithoutRegardToCase) {
  const IniFile ini = IniFile::Parse(
      "\xEF\xBB\xBF; comment\r\n[Common]\r\n  Ido1 = 35 \r\nido1=34\r\n\r\n[common]\r\nx=\"q\"\n");
  EXPECT_EQ(ini.Find("COMMON", "IDO1"), "35");  // the first of two is read
  EXPECT_EQ(ini.Find("Common", "x"), "q");      // one pair of quotes dropped
  EXPECT_EQ(ini.Sections().size(), 1u);
  EXPECT_EQ(ini.Find("Common", "missing"), std::nullopt);
  EXPECT_EQ(ini.Find("Missing", "ido1"), std::nullopt);
}

TEST(IniFile, IntegersAndBooleansFallBackWhenTheyDoNotParse) {
  const IniFile ini = IniFile::Parse(
      "[S]\nint=-12\nplus=+3\nhex=0x10\nword=abc\nhuge=2147483648\nempty=\nb2=2\nb0=0\n");
  EXPECT_EQ(ini.ReadInteger("S", "int", 9), -12);
  EXPECT_EQ(ini.ReadInteger("S", "plus", 9), 3);
  EXPECT_EQ(ini.ReadInteger("S", "hex", 9), 9);
  EXPECT_EQ(ini.ReadInteger("S", "word", 9), 9);
  EXPECT_EQ(ini.ReadInteger("S", "huge", 9), 9);
  EXPECT_EQ(ini.ReadInteger("S", "empty", 9), 9);
  EXPECT_EQ(ini.ReadInteger("S", "none", 9), 9);
  EXPECT_TRUE(ini.ReadBool("S", "b2", false));
  EXPECT_FALSE(ini.ReadBool("S", "b0", true));
  EXPECT_TRUE(ini.ReadBool("S", "word", true));
}

TEST(IniFile, WritesInFirstWrittenOrderWithCrlf) {
  IniFile ini;
  ini.WriteString("B", "k1", "v1");
  ini.WriteInteger("A", "n", -4);
  ini.WriteBool("B", "flag", true);
  ini.WriteString("B", "K1", "line\r\nbreak");
  EXPECT_EQ(ini.Serialize(), "[B]\r\nk1=line  break\r\nflag=1\r\n[A]\r\nn=-4\r\n");
}

TEST(IniFile, SaveReplacesTheFileWholeAndLeavesNoTemporaryFile) {
  TempFolder temp;
  const auto path = temp.path() / "a.ini";
  WriteFile(path, "old");
  IniFile ini;
  ini.WriteString("S", "k", "v");
  EXPECT_EQ(ini.Save(path), "");
  EXPECT_EQ(ReadFile(path), "[S]\r\nk=v\r\n");
  EXPECT_FALSE(std::filesystem::exists(temp.path() / "a.ini.tmp"));
  EXPECT_EQ(IniFile::Load(path).Find("s", "K"), "v");
}

TEST(IniFile, SaveNeverTakesOverAUsersFileWithATemporaryLookingName) {
  TempFolder temp;
  WriteFile(temp / "a.ini.tmp", "the user's own file");
  IniFile ini;
  ini.WriteString("S", "k", "v");
  EXPECT_EQ(ini.Save(temp / "a.ini"), "");
  EXPECT_EQ(ReadFile(temp / "a.ini"), "[S]\r\nk=v\r\n");
  EXPECT_EQ(ReadFile(temp / "a.ini.tmp"), "the user's own file");
  EXPECT_EQ(temp.Names(), (std::vector<std::string>{"a.ini", "a.ini.tmp"}));
}

TEST(IniFile, AFailedSaveLeavesTheFolderAsItWas) {
  TempFolder temp;
  std::filesystem::create_directories(temp / "a.ini");
  IniFile ini;
  ini.WriteString("S", "k", "v");
  const std::string error = ini.Save(temp / "a.ini");
  EXPECT_NE(error.find("a.ini"), std::string::npos);
  EXPECT_TRUE(std::filesystem::is_directory(temp / "a.ini"));
  EXPECT_EQ(temp.Names(), std::vector<std::string>{"a.ini"});
}

TEST(IniFile, SaveIntoAMissingFolderReportsTheFile) {
  TempFolder temp;
  IniFile ini;
  ini.WriteString("S", "k", "v");
  const std::string error = ini.Save(temp.path() / "no" / "such" / "a.ini");
  EXPECT_NE(error.find("a.ini"), std::string::npos);
}

TEST(IniFile, MissingFileIsEmpty) {
  EXPECT_TRUE(IniFile::Load("/nonexistent/vorn.ini").Sections().empty());
}

}  // namespace
}  // namespace vorn::testing
