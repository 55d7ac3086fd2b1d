// vorn-batch end to end for the commands that answer a site, wall or placement pick:
// boundary, wall and preview, each checked by an independent reader.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "cli/batch_run.h"

namespace vorn::cli {
namespace {

namespace fs = std::filesystem;

class BatchSite : public ::testing::Test {
 protected:
  BatchSite() {
    std::random_device rd;
    dir = fs::temp_directory_path() / ("vorn-site-" + std::to_string(rd()) + std::to_string(rd()));
    fs::create_directories(dir);
  }
  ~BatchSite() override { fs::remove_all(dir); }

  int Run(std::vector<std::string> args) {
    out.str({});
    err.str({});
    return BatchMain(args, out, err);
  }

  static std::string Sample() { return std::string(VORN_SOURCE_DIR) + "/examples/sample_site.dxf"; }
  static std::string BoundaryCases() {
    return std::string(VORN_SOURCE_DIR) + "/tests/shadows/fixtures/boundary_cases.dxf";
  }
  std::string At(const std::string& name) const { return (dir / name).string(); }

  static std::string Slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }

  // Runs a checker of tests/cli with its arguments; its report.
  std::string Check(const std::string& script, const std::string& args) {
    const std::string report = At("check.txt");
    const std::string command = std::string(VORN_PYTHON) + " " + VORN_SOURCE_DIR + "/tests/cli/" +
                                script + " " + args + " > " + report + " 2>&1";
    std::system(command.c_str());
    return Slurp(report);
  }

  fs::path dir;
  std::ostringstream out, err;
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

}  // namespace
}  // namespace vorn::cli
