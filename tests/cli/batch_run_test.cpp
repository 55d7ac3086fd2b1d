// vorn-batch end to end on the sample site and on bad input.
#include "cli/batch_run.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "app/file_io.h"
#include "app/form_fixture.h"
#include "app/ini_file.h"
#include "dxf/number_format.h"
#include "python_checks.h"
#include "test_files.h"

namespace vorn::cli {
namespace {

namespace fs = std::filesystem;
using vorn::testing::ReadFile;
using vorn::testing::TempFolder;
using vorn::testing::WriteFile;

class BatchRun : public ::testing::Test {
 protected:
  int Run(std::vector<std::string> args) {
    out.str({});
    err.str({});
    return BatchMain(args, out, err);
  }

  static std::string Sample() { return std::string(VORN_SOURCE_DIR) + "/examples/sample_site.dxf"; }
  std::string At(const std::string& name) const { return (dir / name).string(); }

  TempFolder temp;
  const fs::path& dir = temp.path();
  std::ostringstream out, err;
};

TEST_F(BatchRun, HourlyDiagramOfTheSampleCoversTheShadowUnion) {
  const std::string result = At("hourly.dxf");
  ASSERT_EQ(Run({Sample(),   "hourly",   "--building-layer", "建物",       "--lat",
                 "35:41:00", "--season", "winter",           "--north",    "90",
                 "--plane",  "4",        "--hours",          "8-16/0.5",   "-o",
                 result,     "--svg",    At("hourly.svg"),   "--work-dir", At("work"),
                 "-v"}),
            kExitSuccess)
      << err.str();
  EXPECT_NE(out.str().find("drawing: " + result), std::string::npos);
  EXPECT_TRUE(fs::exists(At("hourly.svg")));
  EXPECT_NE(out.str().find("建物図形を選択して下さい."), std::string::npos) << "-v echoes prompts";
  EXPECT_TRUE(fs::exists(dir / "work" / "VORN_1.dxf"));

  VORN_SKIP_WITHOUT_PYTHON();
  const std::string report = At("check.txt");
  const std::string command = std::string(VORN_PYTHON) + " " + VORN_SOURCE_DIR +
                              "/tests/cli/check_hourly.py " + result + " " + Sample() +
                              " 建物 35.683333333333333 -0.40927970959267024 90 4000 > " + report +
                              " 2>&1";
  EXPECT_EQ(std::system(command.c_str()), 0) << ReadFile(report);
  EXPECT_EQ(ReadFile(report), "ok\n");
}

TEST_F(BatchRun, WithoutCommandsTheDrawingMakesARoundTrip) {
  const std::string copy = At("site.dxf");
  fs::copy_file(Sample(), copy);
  ASSERT_EQ(Run({copy}), kExitSuccess) << err.str();
  EXPECT_TRUE(fs::exists(At("site-vorn.dxf")));
  EXPECT_EQ(ReadFile(copy), ReadFile(Sample())) << "the input is never overwritten";
}

// Option texts are UTF-8 on every system, so a Japanese file name names that file (on Windows a
// plain std::string made into a path is read in the ANSI code page and names another one).
TEST_F(BatchRun, JapaneseFileNamesNameThoseFiles) {
  const fs::path drawing = dir / Utf8Path("敷地.dxf");
  fs::copy_file(Sample(), drawing);
  const fs::path result = dir / Utf8Path("日影図.dxf");
  const fs::path picture = dir / Utf8Path("日影図.svg");
  const fs::path settings = dir / Utf8Path("設定.ini");
  ASSERT_EQ(
      Run({PathUtf8(drawing), "hourly", "--building-layer", "建物", "--season", "summer", "-o",
           PathUtf8(result), "--svg", PathUtf8(picture), "--dump-settings", PathUtf8(settings)}),
      kExitSuccess)
      << err.str();
  EXPECT_NE(out.str().find("drawing: " + PathUtf8(result)), std::string::npos) << out.str();
  EXPECT_TRUE(fs::exists(result));
  EXPECT_TRUE(fs::exists(picture));
  EXPECT_TRUE(fs::exists(settings));
  EXPECT_TRUE(fs::exists(dir / Utf8Path("日影図-work") / "VORN_1.dxf"));
  EXPECT_EQ(ReadFile(drawing), ReadFile(Sample())) << "the input is never overwritten";
}

TEST_F(BatchRun, RoundTripKeepsKindsTheCommandsDoNotSeeAndSaysSoWithVerbose) {
  const std::string drawing = std::string(VORN_SOURCE_DIR) + "/tests/dxf/fixtures/r2000_cp932.dxf";
  ASSERT_EQ(Run({drawing, "-o", At("copy.dxf")}), kExitSuccess) << err.str();
  EXPECT_EQ(err.str(), "") << "nothing is lost, so a quiet run says nothing";
  ASSERT_EQ(Run({drawing, "-o", At("copy.dxf"), "-v"}), kExitSuccess) << err.str();
  EXPECT_NE(err.str().find("1 HATCH entity kept as read; the commands do not see it"),
            std::string::npos)
      << err.str();
  EXPECT_NE(err.str().find("2 MTEXT entities kept as read"), std::string::npos);
  EXPECT_EQ(err.str().find("not kept"), std::string::npos) << err.str();
  const std::string saved = ReadFile(At("copy.dxf"));
  EXPECT_NE(saved.find("\r\nHATCH\r\n"), std::string::npos);
  EXPECT_NE(saved.find("\r\nAC1015\r\n"), std::string::npos);
}

TEST_F(BatchRun, EffectiveSettingsAreDefaultsThenFileThenOverrides) {
  const std::string ini = At("in.ini");
  std::ofstream(ini, std::ios::binary) << "[Common]\r\nido1=33\r\nmakita=80.0\r\n";
  ASSERT_EQ(Run({Sample(), "--settings", ini, "--north", "75", "--dump-settings", At("out.ini"),
                 "-o", At("o.dxf")}),
            kExitSuccess)
      << err.str();
  const IniFile dumped = IniFile::Load(At("out.ini"));
  EXPECT_EQ(dumped.ReadString("Common", "ido1", ""), "33");
  EXPECT_EQ(dumped.ReadString("Common", "makita", ""), "75");
  EXPECT_EQ(dumped.ReadString("Common", "takasa", ""), "4.0");
  EXPECT_EQ(dumped.ReadString("Layer", "Htouji", ""), "VORN_HTOJI");
}

// Every way of choosing the season reaches the sun: the outlines follow that season's
// declination (the textbook solstice value, 23°27', or zero at the equinox) and the dumped
// settings name the season that ran.
TEST_F(BatchRun, EveryWayOfChoosingTheSeasonDrawsThatSeason) {
  struct Case {
    std::string way;  // "option", "set" or "file"
    std::string season;
    int item;
    double declinationDegrees;
    std::string latitude;
    double latitudeDegrees;
    std::string hour;
    std::string north;
  };
  const Case cases[] = {
      {"option", "winter", 0, -23.45, "35:41", 35 + 41 / 60.0, "10", "90"},
      {"option", "equinox", 1, 0.0, "43:03:30", 43 + 3 / 60.0 + 30 / 3600.0, "14", "75"},
      {"option", "summer", 2, 23.45, "26:12", 26.2, "9", "100"},
      {"set", "winter", 0, -23.45, "33:36", 33.6, "15", "60"},
      {"set", "equinox", 1, 0.0, "35:41", 35 + 41 / 60.0, "11", "90"},
      {"set", "summer", 2, 23.45, "38:15", 38.25, "13", "120"},
      {"file", "winter", 0, -23.45, "43:03:30", 43 + 3 / 60.0 + 30 / 3600.0, "9", "80"},
      {"file", "equinox", 1, 0.0, "26:12", 26.2, "15", "90"},
      {"file", "summer", 2, 23.45, "35:41", 35 + 41 / 60.0, "10", "45"},
  };
  VORN_SKIP_WITHOUT_PYTHON();
  std::string check =
      std::string(VORN_PYTHON) + " " + VORN_SOURCE_DIR + "/tests/cli/check_hourly.py";
  int row = 0;
  for (const Case& c : cases) {
    const std::string name = c.way + "-" + c.season + "-" + std::to_string(row++);
    const std::string result = At(name + ".dxf");
    std::vector<std::string> args = {Sample(),
                                     "hourly",
                                     "--building-layer",
                                     "建物",
                                     "--lat",
                                     c.latitude,
                                     "--north",
                                     c.north,
                                     "--hours",
                                     c.hour + "-" + c.hour,
                                     "--dump-settings",
                                     At(name + ".ini"),
                                     "--work-dir",
                                     At("work"),
                                     "-o",
                                     result};
    const std::string kisetsu = std::to_string(c.item);
    if (c.way == "option") {
      args.insert(args.end(), {"--season", c.season});
    } else if (c.way == "set") {
      args.insert(args.end(), {"--set", "Common.kisetsu=" + kisetsu});
    } else {
      const std::string ini = At(name + "-in.ini");
      std::ofstream(ini, std::ios::binary) << "[Common]\r\nkisetsu=" << kisetsu << "\r\n";
      args.insert(args.end(), {"--settings", ini});
    }
    ASSERT_EQ(Run(args), kExitSuccess) << name << ": " << err.str();
    EXPECT_EQ(IniFile::Load(At(name + ".ini")).ReadString("Common", "kisetsu", ""), kisetsu)
        << name;
    const double declination = c.declinationDegrees * std::numbers::pi / 180.0;
    check += " " + result + " " + Sample() + " 建物 " + FormatGeneral(c.latitudeDegrees) + " " +
             FormatGeneral(declination) + " " + c.north + " 4000";
  }
  const std::string report = At("check.txt");
  EXPECT_EQ(std::system((check + " > " + report + " 2>&1").c_str()), 0) << ReadFile(report);
  EXPECT_EQ(ReadFile(report), "ok\n");
}

TEST_F(BatchRun, AreaChoiceFromTheSettingsRuns) {
  ASSERT_EQ(Run({Sample(), "--set", "Tenku.Menseki=2", "--dump-settings", At("out.ini"), "-o",
                 At("o.dxf")}),
            kExitSuccess)
      << err.str();
  EXPECT_EQ(IniFile::Load(At("out.ini")).ReadString("Tenku", "Menseki", ""), "2");
}

// The form as the batch tool starts it: its start-up handlers see the overrides.
class BatchStartUp : public vorn::testing::FormTest {};

TEST_F(BatchStartUp, AreaChoiceOverrideReachesBothGroupsAndTheTables) {
  const ParseResult parsed = ParseBatchArguments({"site.dxf", "--set", "Tenku.Menseki=2"});
  ASSERT_TRUE(parsed.options) << parsed.error;
  std::ostringstream err;
  const std::optional<IniFile> settings = EffectiveSettings(*parsed.options, err);
  ASSERT_TRUE(settings) << err.str();
  std::filesystem::create_directories(exeFolder());
  WriteFile(settingsFile(), "[Tenku]\r\nMenseki=0\r\n");  // never read on this path
  TForm1 f(shell, DataFolders::FromShell(shell), cad.Environment());
  f.FormCreate(*settings);
  EXPECT_EQ(f.RadioGroup2.ItemIndex, 2);
  EXPECT_EQ(f.RadioGroup4.ItemIndex, 2);
  for (const TCheckBox* c : {&f.CheckBox3, &f.CheckBox5, &f.CheckBox6, &f.CheckBox7}) {
    EXPECT_TRUE(c->Enabled);
  }
}

TEST_F(BatchRun, BadInputGivesItsReasonAndExitCodeAndNoDrawing) {
  std::ofstream(At("broken.dxf")) << "  0\nSECTION\n  2\nENTITIES\n  0\nLINE\n 10\nnot a number\n";
  struct Case {
    std::vector<std::string> args;
    int exit;
    std::string reason;
  };
  const std::string o = At("never.dxf");
  const Case cases[] = {
      {{At("missing.dxf"), "hourly", "-o", o}, kExitBadInput, "cannot read the drawing"},
      {{At("broken.dxf"), "hourly", "-o", o}, kExitBadInput, "cannot read the drawing"},
      {{Sample(), "hourly", "--set", "Common.ido1=abc", "-o", o}, kExitCommandFailed, "abc"},
      {{Sample(), "hourly", "--building-layer", "空", "-o", o},
       kExitCommandFailed,
       "no entities to pick"},
      {{std::string(VORN_SOURCE_DIR) + "/tests/acquisition/fixtures/pick_cases.dxf", "hourly",
        "--building-layer", "texts_blocks", "-o", o},
       kExitCommandFailed,
       "holds no lines"},
      {{Sample(), "hourly", "--building-handle", "FFFFF", "-o", o},
       kExitCommandFailed,
       "no entity has the handle FFFFF"},
      {{Sample(), "hourly", "--hours", "7-16", "-o", o}, kExitCommandFailed, "8.0から16.0"},
      {{Sample(), "hourly", "--settings", At("none.ini"), "-o", o},
       kExitBadInput,
       "cannot read the settings file"},
      {{Sample(), "sunset"}, kExitBadInput, "unknown command"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Run(c.args), c.exit) << c.args[0] << " " << err.str();
    EXPECT_NE(err.str().find(c.reason), std::string::npos) << err.str();
    EXPECT_FALSE(fs::exists(o)) << c.reason;
    fs::remove(o);
  }
}

}  // namespace
}  // namespace vorn::cli
