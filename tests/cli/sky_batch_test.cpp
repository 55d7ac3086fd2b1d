// vorn-batch's sky commands end to end on the sample site, checked by ezdxf.
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

class SkyBatch : public ::testing::Test {
 protected:
  SkyBatch() {
    std::random_device rd;
    dir = fs::temp_directory_path() / ("vorn-sky-" + std::to_string(rd()) + std::to_string(rd()));
    fs::create_directories(dir);
  }
  ~SkyBatch() override { fs::remove_all(dir); }

  int Run(std::vector<std::string> args) {
    out.str({});
    err.str({});
    return BatchMain(args, out, err);
  }
  static std::string Sample() { return std::string(VORN_SOURCE_DIR) + "/examples/sample_site.dxf"; }
  std::string At(const std::string& name) const { return (dir / name).string(); }
  static std::string Slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }
  // The independent check of the area table, the text block and ezdxf's audit.
  std::string Check(const std::string& drawing, const std::string& triangleLayer,
                    const std::string& frameLayer) {
    const std::string report = At("check.txt");
    const std::string command = std::string(VORN_PYTHON) + " " + VORN_SOURCE_DIR +
                                "/tests/cli/check_sky.py " + drawing + " " + triangleLayer + " " +
                                frameLayer + " > " + report + " 2>&1";
    std::system(command.c_str());
    return Slurp(report);
  }

  fs::path dir;
  std::ostringstream out, err;
};

TEST_F(SkyBatch, PickedDiagramWithBothTablesAddsUp) {
  const std::string result = At("pick.dxf");
  ASSERT_EQ(Run({Sample(), "sky-pick", "--building-layer", "建物", "--type", "B", "--point",
                 "40000,5000", "--at", "150000,20000", "--table-at", "200000,60000",
                 "--position-table-at", "200000,-20000", "--set", "Tenku.Menseki=2", "--set",
                 "Layer.Tsansya=三斜", "--set", "Tenku.MemoriB=30", "--plane", "4", "-o", result}),
            kExitSuccess)
      << err.str();
  EXPECT_EQ(Check(result, "三斜", "VORN_TENKU VORN_TTATEITI"), "ok\n");
}

TEST_F(SkyBatch, InscribedDiagramOfTypeAAddsUpToo) {
  const std::string result = At("pick-a.dxf");
  ASSERT_EQ(Run({Sample(), "sky-pick", "--building-layer", "建物", "--point", "60000,5000",
                 "--at", "60000,-40000", "--table-at", "100000,-40000", "--set",
                 "Tenku.Menseki=1", "--set", "Tenku.Hatch=5", "--set", "Tenku.tateiti=0",
                 "-o", result}),
            kExitSuccess)
      << err.str();
  EXPECT_EQ(Check(result, "VORN_TSANSYA", "VORN_TENKU"), "ok\n");
}

TEST_F(SkyBatch, BadSkyOptionsAreRefused) {
  EXPECT_EQ(Run({Sample(), "sky-pick", "--at", "1,2"}), kExitBadInput);
  EXPECT_NE(err.str().find("--point"), std::string::npos);
  EXPECT_EQ(Run({Sample(), "sky-draw"}), kExitBadInput);
  EXPECT_EQ(Run({Sample(), "sky-draw", "--at", "1;2"}), kExitBadInput);
  EXPECT_EQ(Run({Sample(), "sky-pick", "--type", "C", "--at", "1,2", "--point", "1,2"}),
            kExitBadInput);
}

}  // namespace
}  // namespace vorn::cli
