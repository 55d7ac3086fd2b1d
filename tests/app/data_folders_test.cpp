#include "app/data_folders.h"

#include <gtest/gtest.h>

#include <map>

#include "app/settings_file.h"
#include "form_fixture.h"

namespace vorn::testing {
namespace {

EnvLookup Env(std::map<std::string, std::string> values) {
  return [values](std::string_view name) -> std::optional<std::string> {
    const auto it = values.find(std::string(name));
    if (it == values.end()) return std::nullopt;
    return it->second;
  };
}

TEST(UserDataFolder, FollowsThePlatformRules) {
  EXPECT_EQ(UserDataFolder(Env({{"APPDATA", "C:/Users/u/AppData/Roaming"}}), true),
            std::filesystem::path("C:/Users/u/AppData/Roaming") / "vorn2023");
  EXPECT_EQ(UserDataFolder(Env({{"HOME", "/home/u"}}), true), "");
  EXPECT_EQ(UserDataFolder(Env({{"XDG_CONFIG_HOME", "/cfg"}, {"HOME", "/home/u"}}), false),
            std::filesystem::path("/cfg/vorn2023"));
  // A relative or empty XDG_CONFIG_HOME is not valid and falls back to the home folder.
  EXPECT_EQ(UserDataFolder(Env({{"XDG_CONFIG_HOME", "cfg"}, {"HOME", "/home/u"}}), false),
            std::filesystem::path("/home/u/.config/vorn2023"));
  EXPECT_EQ(UserDataFolder(Env({{"XDG_CONFIG_HOME", ""}, {"HOME", "/home/u"}}), false),
            std::filesystem::path("/home/u/.config/vorn2023"));
  EXPECT_EQ(UserDataFolder(Env({}), false), "");
}

class Folders : public ::testing::Test {
 protected:
  std::filesystem::path exe() const { return temp.path() / "bin"; }
  std::filesystem::path user() const { return temp.path() / "user"; }
  DataFolders Make(bool exeWritable) const {
    std::filesystem::create_directories(exe());
    return DataFolders(exe(), user(),
                       [exeWritable](const std::filesystem::path&) { return exeWritable; });
  }
  TempFolder temp;
};

TEST_F(Folders, WritableExecutableFolderHoldsTheFiles) {
  const DataFolders f = Make(true);
  EXPECT_EQ(f.ReadPath("a.txt"), exe() / "a.txt");
  EXPECT_EQ(f.WritePath("a.txt"), exe() / "a.txt");
  EXPECT_EQ(f.OutputFolder(), exe());
}

TEST_F(Folders, ReadOnlyExecutableFolderSendsWritesToTheUserFolder) {
  const DataFolders f = Make(false);
  EXPECT_EQ(f.WritePath("a.txt"), user() / "a.txt");
  EXPECT_TRUE(std::filesystem::is_directory(user()));
  // Files shipped beside the executable are still read until the user has their own.
  WriteFile(exe() / "a.txt", "shipped");
  EXPECT_EQ(f.ReadPath("a.txt"), exe() / "a.txt");
}

TEST_F(Folders, UserFileWinsForReadingAndWriting) {
  const DataFolders f = Make(true);
  WriteFile(exe() / "a.txt", "beside");
  WriteFile(user() / "a.txt", "mine");
  EXPECT_EQ(f.ReadPath("a.txt"), user() / "a.txt");
  // Writing beside the executable now would never be read back.
  EXPECT_EQ(f.WritePath("a.txt"), user() / "a.txt");
}

TEST_F(Folders, WithoutAUserFolderEverythingStaysBesideTheExecutable) {
  std::filesystem::create_directories(exe());
  const DataFolders f(exe(), "", [](const std::filesystem::path&) { return false; });
  EXPECT_EQ(f.WritePath("a.txt"), exe() / "a.txt");
}

TEST(ProbeFolderWritable, TellsAWritableFolderFromAMissingOne) {
  TempFolder temp;
  EXPECT_TRUE(ProbeFolderWritable(temp.path()));
  EXPECT_FALSE(ProbeFolderWritable(temp.path() / "missing"));
  EXPECT_TRUE(std::filesystem::is_empty(temp.path()));  // the probe file is gone
}

// An installed program: the settings survive a restart through the per-user folder.
TEST_F(FormTest, SettingsOfAnInstalledProgramLiveInTheUserFolder) {
  shell.readOnlyFolders = {exeFolder()};
  WriteFile(settingsFile(), "[Common]\r\ntakasa=7.0\r\n");  // shipped beside the program
  {
    auto f = StartForm();
    EXPECT_EQ(f->Edit4.Text, "7.0");
    f->Edit4.Text = "5.5";
    f->FormDestroy();
  }
  const auto userIni = userFolder() / "vorn.ini";
  EXPECT_TRUE(std::filesystem::exists(userIni));
  EXPECT_NE(ReadFile(settingsFile()).find("takasa=7.0"), std::string::npos);  // untouched
  EXPECT_EQ(StartForm()->Edit4.Text, "5.5");
  EXPECT_TRUE(shell.messages.empty());
}

TEST_F(FormTest, XdgConfigHomeIsHonoured) {
#ifdef _WIN32
  GTEST_SKIP() << "XDG_CONFIG_HOME is a convention of the POSIX systems";
#endif
  shell.readOnlyFolders = {exeFolder()};
  shell.environment.emplace_back("XDG_CONFIG_HOME", (temp.path() / "xdg").string());
  StartForm()->FormDestroy();
  EXPECT_TRUE(std::filesystem::exists(temp.path() / "xdg" / "vorn2023" / "vorn.ini"));
}

TEST_F(FormTest, ASettingsFileThatCannotBeWrittenIsReported) {
  shell.readOnlyFolders = {exeFolder()};
  shell.environment.clear();  // no per-user folder either
  auto f = StartForm();
  // The probe says read-only but the folder is really writable; make the write fail for real
  // (tests run as root, so permissions would not stop it): the folder becomes a plain file.
  std::filesystem::remove_all(exeFolder());
  WriteFile(exeFolder(), "not a folder");
  f->FormDestroy();
  ASSERT_EQ(shell.messages.size(), 1u);
  EXPECT_EQ(shell.messages[0].caption, "Vorn2023");
  EXPECT_NE(shell.messages[0].text.find("vorn.ini"), std::string::npos);
}

}  // namespace
}  // namespace vorn::testing
