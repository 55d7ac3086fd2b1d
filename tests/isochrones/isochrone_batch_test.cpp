// `vorn-batch DRAWING isochrones` end to end on the sample site, read back by ezdxf.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/batch_fixture.h"
#include "cli/batch_options.h"
#include "cli/batch_run.h"
#include "python_checks.h"

namespace vorn::cli {
namespace {

namespace fs = std::filesystem;

class IsochroneBatch : public BatchTest {};

// Not the defaults: the equinox, true north at 75 degrees, a 3 m plane, "60秒", three levels,
// smoothing with coefficient 6.
TEST_F(IsochroneBatch, SampleSiteIsochronesReadBackByEzdxf) {
  const std::string result = At("iso.dxf");
  ASSERT_EQ(Run({Sample(),
                 "isochrones",
                 "--building-layer",
                 "建物",
                 "--lat",
                 "35:41:00",
                 "--season",
                 "equinox",
                 "--north",
                 "75",
                 "--plane",
                 "3",
                 "--hours",
                 "8-16",
                 "--levels",
                 "1.5,2.5,4.0",
                 "--set",
                 "Touji.kankaku2=2",
                 "--set",
                 "Touji.tyokusen=6",
                 "-o",
                 result,
                 "--svg",
                 At("iso.svg"),
                 "--work-dir",
                 At("work")}),
            kExitSuccess)
      << err.str();
  const std::string printed = out.str();
  const std::string meshPrefix = "ﾒｯｼｭｻｲｽﾞ : ";
  ASSERT_EQ(printed.rfind(meshPrefix, 0), 0u) << printed;
  const std::string mesh =
      printed.substr(meshPrefix.size(), printed.find('\n') - meshPrefix.size());
  EXPECT_NE(printed.find("\n所要時間 : "), std::string::npos) << printed;
  EXPECT_TRUE(fs::exists(At("iso.svg")));
  EXPECT_TRUE(fs::exists(dir / "work" / "VORN_1.dxf"));
  EXPECT_TRUE(err.str().empty()) << err.str();

  VORN_SKIP_WITHOUT_PYTHON();
  const std::string report = At("check.txt");
  const std::string command = std::string(VORN_PYTHON) + " " + VORN_SOURCE_DIR +
                              "/tests/isochrones/check_isochrones.py " + result + " " + Sample() +
                              " 75 3000 1.5,2.5,4.0 " + mesh + " > " + report + " 2>&1";
  EXPECT_EQ(std::system(command.c_str()), 0) << Slurp(report);
  EXPECT_EQ(Slurp(report), "ok\n");
}

TEST_F(IsochroneBatch, LevelsOptionTicksExactlyTheNamedLevels) {
  const ParseResult parsed = ParseBatchArguments({"site.dxf", "isochrones", "--levels", "1.5,8.0"});
  ASSERT_TRUE(parsed.options.has_value()) << parsed.error;
  int ticked = 0;
  for (const SettingOverride& s : parsed.options->overrides) {
    ASSERT_EQ(s.section, "Touji");
    if (s.value == "1") {
      ++ticked;
      EXPECT_TRUE(s.key == "chk0" || s.key == "chk13") << s.key;
    }
  }
  EXPECT_EQ(parsed.options->overrides.size(), 14u);
  EXPECT_EQ(ticked, 2);
  for (const char* bad : {"1.2", "9.0", "1.5,x", "", "1.0"}) {
    EXPECT_FALSE(ParseBatchArguments({"site.dxf", "isochrones", "--levels", bad}).options) << bad;
  }
}

TEST_F(IsochroneBatch, TimesWithoutSunFailWithNoDrawing) {
  EXPECT_EQ(Run({Sample(), "isochrones", "--building-layer", "建物", "--hours", "7-16", "-o",
                 At("bad.dxf"), "--work-dir", At("work")}),
            kExitCommandFailed);
  EXPECT_NE(err.str().find("時刻は8.0から16.0までの範囲で指定して下さい．"), std::string::npos)
      << err.str();
  EXPECT_FALSE(fs::exists(At("bad.dxf")));
}

}  // namespace
}  // namespace vorn::cli
