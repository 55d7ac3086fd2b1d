// A main form over a recording shell whose executable lives in a fresh temporary folder, and a
// CAD environment with no CAD running unless a test starts one.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/main_form.h"
#include "app/shell.h"
#include "cad/host/drawing_host.h"
#include "cad/host/scripted_interaction.h"
#include "test_files.h"

namespace vorn::testing {

// The CAD side of the tests: the built-in drawing host, not running until a drawing is
// opened, with a clock whose sleeps cost nothing.
class TestCad final : public cad::CadClock, public cad::MessageFilterRegistry {
 public:
  explicit TestCad(std::vector<std::string>& calls) : host(user, files), calls_(calls) {}
  void Sleep(int milliseconds) override { now += milliseconds; }
  int64_t NowMilliseconds() override { return now; }
  // The system's filter slot: installing gives back what was there before.
  std::uintptr_t Install(std::uintptr_t filter) override {
    calls_.push_back("InstallFilter " + std::to_string(filter));
    return std::exchange(installedFilter, filter);
  }
  CadEnvironment Environment() {
    return CadEnvironment{host, host.Windows(), *this, this, kFilterHandle, commandLineWindows};
  }

  static constexpr std::uintptr_t kFilterHandle = 77;

  cad::host::ScriptedInteraction user;
  cad::host::DxfDrawingFiles files;
  cad::host::DrawingHost host;
  int64_t now = 0;
  std::uintptr_t installedFilter = 5;  // a filter that was there before the program
  // The desktop of the command-line path; none, as on any machine without Windows, unless a
  // test supplies one before starting the form.
  cad::WindowSystem* commandLineWindows = nullptr;

 private:
  std::vector<std::string>& calls_;
};

class FormTest : public ::testing::Test {
 protected:
  FormTest() {
    shell.executable = exeFolder() / "vorn.exe";
    shell.environment = {{"HOME", (temp.path() / "home").string()},
                         {"APPDATA", (temp.path() / "appdata").string()}};
  }

  std::filesystem::path exeFolder() const { return temp.path() / "bin"; }
  std::filesystem::path settingsFile() const { return exeFolder() / "vorn.ini"; }
  // The per-user folder the platform's rules give for the environment above.
  std::filesystem::path userFolder() const {
#ifdef _WIN32
    return temp.path() / "appdata" / "vorn2023";
#else
    return temp.path() / "home" / ".config" / "vorn2023";
#endif
  }

  // A new form, created and started as the program does.
  std::unique_ptr<TForm1> StartForm() {
    std::filesystem::create_directories(exeFolder());
    auto f = std::make_unique<TForm1>(shell, DataFolders::FromShell(shell), cad.Environment());
    f->FormCreate();
    return f;
  }

  TempFolder temp;
  RecordingShell shell;
  TestCad cad{shell.calls};
};

}  // namespace vorn::testing
