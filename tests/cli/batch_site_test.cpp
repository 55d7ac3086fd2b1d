// vorn-batch end to end for the commands that answer a site, wall or placement pick:
// boundary, wall and preview, each checked by an independent reader.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/batch_fixture.h"
#include "cli/batch_run.h"
#include "python_checks.h"

namespace vorn::cli {
namespace {

namespace fs = std::filesystem;

class BatchSite : public BatchTest {
 protected:
  static std::string BoundaryCases() {
    return std::string(VORN_SOURCE_DIR) + "/tests/shadows/fixtures/boundary_cases.dxf";
  }

  // Runs a checker of tests/cli with its arguments; its report.
  std::string Check(const std::string& script, const std::string& args) {
    const std::string report = At("check.txt");
    const std::string command = std::string(VORN_PYTHON) + " " + VORN_SOURCE_DIR + "/tests/cli/" +
                                script + " " + args + " > " + report + " 2>&1";
    std::system(command.c_str());
    return Slurp(report);
  }
};

TEST_F(BatchSite, BoundaryOfTheSampleSiteByLayerOrHandleFollowsTheBuffer) {
  const std::string byLayer = At("by-layer.dxf");
  ASSERT_EQ(
      Run({Sample(), "boundary", "--site-layer", "敷地", "-o", byLayer, "--work-dir", At("work")}),
      kExitSuccess)
      << err.str();
  EXPECT_TRUE(fs::exists(dir / "work" / "VORN_1.dxf"));
  const std::string byHandle = At("by-handle.dxf");
  ASSERT_EQ(Run({Sample(), "boundary", "--site-handle", "35", "-o", byHandle}), kExitSuccess)
      << err.str();
  VORN_SKIP_WITHOUT_PYTHON();
  EXPECT_EQ(Check("check_boundary.py", Sample() + " " + byLayer + " 敷地 " + byHandle + " 敷地"),
            "ok\n");
}

TEST_F(BatchSite, BoundaryOfLShapedSlantedAndClutteredSites) {
  std::string args = BoundaryCases();
  for (const std::string layer : {"ell", "loose", "touching"}) {
    const std::string result = At(layer + ".dxf");
    ASSERT_EQ(Run({BoundaryCases(), "boundary", "--site-layer", layer, "-o", result}), kExitSuccess)
        << layer << ": " << err.str();
    args += " " + result + " " + layer;
  }
  VORN_SKIP_WITHOUT_PYTHON();
  EXPECT_EQ(Check("check_boundary.py", args), "ok\n");
}

TEST_F(BatchSite, BoundaryRefusesWhatGivesNoOutline) {
  struct Case {
    std::vector<std::string> args;
    int exit;
    std::string reason;
  };
  const std::string o = At("never.dxf");
  const Case cases[] = {
      {{Sample(), "boundary", "-o", o}, kExitCommandFailed, "--site-layer or --site-handle"},
      {{Sample(), "boundary", "--site-handle", "FFFFF", "-o", o},
       kExitCommandFailed,
       "no entity has the handle FFFFF"},
      {{Sample(), "boundary", "--site-layer", "空", "-o", o},
       kExitCommandFailed,
       "no entities to pick as the site"},
      {{BoundaryCases(), "boundary", "--site-layer", "open", "-o", o},
       kExitCommandFailed,
       "could not be traced"},
      {{BoundaryCases(), "boundary", "--site-layer", "two", "-o", o},
       kExitCommandFailed,
       "fewer than three segments"},
      {{Sample(), "boundary", "--site-layer", "a", "--site-handle", "35"},
       kExitBadInput,
       "cannot be combined"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Run(c.args), c.exit) << c.reason << " " << err.str();
    EXPECT_NE(err.str().find(c.reason), std::string::npos) << err.str();
    EXPECT_FALSE(fs::exists(o)) << c.reason;
  }
}

constexpr const char* kWinter = "-0.40927970959267024";

TEST_F(BatchSite, WallElevationOnTheNeighboursWallMatchesTheProjection) {
  const std::string result = At("wall.dxf");
  ASSERT_EQ(Run({Sample(), "wall", "--building-layer", "建物", "--wall-layer", "隣地壁面", "--lat",
                 "35:41:00", "--season", "winter", "--north", "90", "--hours", "8-16/0.5", "-o",
                 result, "--work-dir", At("work")}),
            kExitSuccess)
      << err.str();
  EXPECT_TRUE(fs::exists(dir / "work" / "VORN_1.dxf"));
  VORN_SKIP_WITHOUT_PYTHON();
  EXPECT_EQ(Check("check_wall.py", result + " " + Sample() + " 建物 隣地壁面 35.683333333333333 " +
                                       kWinter + " 90 8 16 0.5 VORN_HEKIMEN VORN_HWAKU wall"),
            "ok\n");
}

TEST_F(BatchSite, WallElevationPlacedByTheUserAsOneBlockWithOtherSettings) {
  const std::string result = At("wall-block.dxf");
  ASSERT_EQ(Run({Sample(),
                 "wall",
                 "--building-layer",
                 "建物",
                 "--wall-handle",
                 "36",
                 "--lat",
                 "43:03:00",
                 "--season",
                 "winter",
                 "--north",
                 "80",
                 "--hours",
                 "8.5-15.5/0.25",
                 "--set",
                 "Hekimen.senjou=0",
                 "--set",
                 "Hekimen.block=1",
                 "--at",
                 "120000,20000",
                 "--set",
                 "Layer.Hekimen=壁面影",
                 "--set",
                 "Layer.Hwaku=壁枠",
                 "--set",
                 "Common.takasa2=500",
                 "--set",
                 "Touji.kankaku3=2",
                 "-o",
                 result}),
            kExitSuccess)
      << err.str();
  VORN_SKIP_WITHOUT_PYTHON();
  EXPECT_EQ(Check("check_wall.py", result + " " + Sample() + " 建物 隣地壁面 43.05 " + kWinter +
                                       " 80 8.5 15.5 0.25 壁面影 壁枠 120000,20000"),
            "ok\n");
}

TEST_F(BatchSite, WallRefusesAPickItCannotAnswer) {
  struct Case {
    std::vector<std::string> args;
    std::string reason;
  };
  const std::string o = At("never.dxf");
  const Case cases[] = {
      {{Sample(), "wall", "-o", o}, "--wall-handle or --wall-layer"},
      {{Sample(), "wall", "--wall-handle", "35", "-o", o}, "is not a LINE"},
      {{Sample(), "wall", "--wall-handle", "FFFF", "-o", o}, "no entity has the handle FFFF"},
      {{Sample(), "wall", "--wall-layer", "敷地", "-o", o}, "no LINE on the layer"},
      {{Sample(), "wall", "--wall-layer", "隣地壁面", "--set", "Hekimen.senjou=0", "-o", o},
       "give --at X,Y"},
      {{Sample(), "wall", "--wall-layer", "隣地壁面", "--hours", "7-16", "-o", o}, "8.0から16.0"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Run(c.args), kExitCommandFailed) << c.reason << " " << err.str();
    EXPECT_NE(err.str().find(c.reason), std::string::npos) << err.str();
    EXPECT_FALSE(fs::exists(o)) << c.reason;
  }
}

TEST_F(BatchSite, PreviewTurnedDrawnIntoTheDrawingAndSavedAsPicture) {
  const std::string result = At("preview.dxf");
  const std::string picture = At("preview.png");
  ASSERT_EQ(Run({Sample(), "preview", "--building-layer", "建物", "--view", "30,20", "--footprint",
                 "off", "--at", "120000,10000", "--png", picture, "-o", result}),
            kExitSuccess)
      << err.str();
  VORN_SKIP_WITHOUT_PYTHON();
  EXPECT_EQ(
      Check("check_preview.py", result + " " + Sample() + " 建物 30 20 120000,10000 " + picture),
      "ok\n");
}

TEST_F(BatchSite, PreviewRefusesBadViewsAndUnwritablePictures) {
  struct Case {
    std::vector<std::string> args;
    int exit;
    std::string reason;
  };
  const std::string o = At("never.dxf");
  const Case cases[] = {
      {{Sample(), "preview", "--view", "400,20", "-o", o}, kExitBadInput, "whole degrees"},
      {{Sample(), "preview", "--view", "30.5,20", "-o", o}, kExitBadInput, "whole degrees"},
      {{Sample(), "preview", "--view", "30", "-o", o}, kExitBadInput, "whole degrees"},
      {{Sample(), "preview", "--footprint", "yes", "-o", o}, kExitBadInput, "on or off"},
      {{Sample(), "preview", "--at", "1;2", "-o", o}, kExitBadInput, "X,Y with numbers"},
      {{Sample(), "preview", "--building-layer", "建物", "--png", At("none/p.png"), "-o", o},
       kExitCommandFailed,
       "cannot save the picture"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Run(c.args), c.exit) << c.reason << " " << err.str();
    EXPECT_NE(err.str().find(c.reason), std::string::npos) << err.str();
    EXPECT_FALSE(fs::exists(o)) << c.reason;
  }
}

}  // namespace
}  // namespace vorn::cli
