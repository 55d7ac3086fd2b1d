// vorn-batch's sky commands end to end on the sample site, checked by ezdxf.
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

class SkyBatch : public BatchTest {
 protected:
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

  // A check script of tests/cli with its arguments; what it prints.
  std::string Script(const std::string& script, const std::vector<std::string>& args) {
    const std::string report = At("script.txt");
    std::string command = std::string(VORN_PYTHON) + " " + VORN_SOURCE_DIR + "/tests/cli/" + script;
    for (const std::string& a : args) command += " '" + a + "'";
    command += " > " + report + " 2>&1";
    std::system(command.c_str());
    return Slurp(report);
  }
  std::string WriteFile(const std::string& name, const std::string& text) {
    std::ofstream(At(name), std::ios::binary) << text;
    return At(name);
  }
};

// The sample's measurement marks entered and recalculated with the conforming variant chosen:
// every row filled, the planned and conforming values bracketing the exact sky factor that the
// check computes from the drawing's walls.
TEST_F(SkyBatch, ReportOfTheSampleMarksBracketsTheExactSkyFactor) {
  const std::string report = At("marks.tsv");
  ASSERT_EQ(Run({Sample(), "sky", "--building-layer", "建物", "--points-layer", "測定点", "--set",
                 "Tenku.Menseki=2", "--report", report, "-o", At("marks.dxf")}),
            kExitSuccess)
      << err.str();
  VORN_SKIP_WITHOUT_PYTHON();
  EXPECT_EQ(Script("check_sky_report.py", {Sample(), "建物", report, "4"}), "ok\n");
  const std::string text = Slurp(report);
  for (const char* name : {"\tA1\t0\t", "\tA2\t0\t", "\tA3\t0\t", "\tA4\t0\t"}) {
    EXPECT_NE(text.find(name), std::string::npos) << name << " in " << text;
  }
}

// Points from a file: their z is the plane height and their names label the rows; type A made
// the larger diagram, true north turned, another scale.
TEST_F(SkyBatch, GivenPointsTakeTheirHeightAsThePlane) {
  const std::string points =
      WriteFile("points.csv", "# x,y,z,name\n60000,5000,4000,south\n30000,8000,2500,P3\n");
  const std::string report = At("given.tsv");
  ASSERT_EQ(Run({Sample(), "sky", "--building-layer", "建物", "--points", points, "--north", "75",
                 "--set", "Tenku.Hankei=150", "--set", "Tenku.Syakudo=300", "--report", report,
                 "-o", At("given.dxf")}),
            kExitSuccess)
      << err.str();
  VORN_SKIP_WITHOUT_PYTHON();
  EXPECT_EQ(Script("check_sky_report.py", {Sample(), "建物", report, "2"}), "ok\n");
  const std::string text = Slurp(report);
  EXPECT_NE(text.find("\t30000\t8000\tP3\t2.5\t"), std::string::npos) << text;
  EXPECT_NE(text.find("\t60000\t5000\tsouth\t4\t"), std::string::npos) << text;
}

// sky-draw enters the points itself: each row's diagram in a row from --at at the type B pitch
// (300 mm at 1:200), its text block printing the row's conforming sky factor.
TEST_F(SkyBatch, DrawingAllRowsDrawsTheEnteredPoints) {
  const std::string report = At("rows.tsv");
  const std::string drawing = At("rows.dxf");
  ASSERT_EQ(Run({Sample(), "sky-draw", "--type", "B", "--at", "0,-100000", "--building-layer",
                 "建物", "--points-layer", "測定点", "--set", "Tenku.Menseki=2", "--report", report,
                 "-o", drawing}),
            kExitSuccess)
      << err.str();
  VORN_SKIP_WITHOUT_PYTHON();
  EXPECT_EQ(Script("check_sky_rows.py",
                   {drawing, report, "VORN_TENKU", "6", "0", "-100000", "60000", "20000"}),
            "ok\n");
}

TEST_F(SkyBatch, SkyWithoutPointsAndPickWithoutTablePlacementsAreRefused) {
  EXPECT_EQ(Run({Sample(), "sky", "--building-layer", "建物"}), kExitBadInput);
  EXPECT_NE(err.str().find("sky needs --points"), std::string::npos) << err.str();
  // The area table box is ticked by default: without its place the run would cancel it.
  const std::string drawing = At("no-table.dxf");
  EXPECT_EQ(Run({Sample(), "sky-pick", "--building-layer", "建物", "--point", "40000,5000", "--at",
                 "0,-50000", "--position-table-at", "0,0", "-o", drawing}),
            kExitCommandFailed);
  EXPECT_NE(err.str().find("--table-at"), std::string::npos) << err.str();
  EXPECT_NE(err.str().find("Tenku.Kyuseki=0"), std::string::npos) << err.str();
  EXPECT_FALSE(fs::exists(drawing));
  EXPECT_EQ(Run({Sample(), "sky-pick", "--type", "B", "--building-layer", "建物", "--point",
                 "40000,5000", "--at", "0,-50000", "--table-at", "0,0", "-o", drawing}),
            kExitCommandFailed);
  EXPECT_NE(err.str().find("Tenku.tateitiB=0"), std::string::npos) << err.str();
}

// With the area table unticked the position table takes --position-table-at, not --table-at.
TEST_F(SkyBatch, EachTableTakesItsOwnPlacement) {
  const std::string drawing = At("position-only.dxf");
  ASSERT_EQ(Run({Sample(), "sky-pick", "--building-layer", "建物", "--point", "40000,5000", "--at",
                 "0,-50000", "--table-at", "900000,900000", "--position-table-at", "-70000,-20000",
                 "--set", "Tenku.Kyuseki=0", "--set", "Tenku.Menseki=1", "-o", drawing}),
            kExitSuccess)
      << err.str();
  EXPECT_NE(err.str().find("--table-at is not used"), std::string::npos) << err.str();
  VORN_SKIP_WITHOUT_PYTHON();
  EXPECT_EQ(Script("check_position_table.py", {drawing, "VORN_TTATEITI", "-70000", "-20000"}),
            "ok\n");
}

TEST_F(SkyBatch, PickedDiagramWithBothTablesAddsUp) {
  const std::string result = At("pick.dxf");
  ASSERT_EQ(Run({Sample(),
                 "sky-pick",
                 "--building-layer",
                 "建物",
                 "--type",
                 "B",
                 "--point",
                 "40000,5000",
                 "--at",
                 "150000,20000",
                 "--table-at",
                 "200000,60000",
                 "--position-table-at",
                 "200000,-20000",
                 "--set",
                 "Tenku.Menseki=2",
                 "--set",
                 "Layer.Tsansya=三斜",
                 "--set",
                 "Tenku.MemoriB=30",
                 "--plane",
                 "4",
                 "-o",
                 result}),
            kExitSuccess)
      << err.str();
  VORN_SKIP_WITHOUT_PYTHON();
  EXPECT_EQ(Check(result, "三斜", "VORN_TENKU VORN_TTATEITI"), "ok\n");
}

TEST_F(SkyBatch, InscribedDiagramOfTypeAAddsUpToo) {
  const std::string result = At("pick-a.dxf");
  ASSERT_EQ(Run({Sample(), "sky-pick", "--building-layer", "建物", "--point", "60000,5000", "--at",
                 "60000,-40000", "--table-at", "100000,-40000", "--set", "Tenku.Menseki=1", "--set",
                 "Tenku.Hatch=5", "--set", "Tenku.tateiti=0", "-o", result}),
            kExitSuccess)
      << err.str();
  VORN_SKIP_WITHOUT_PYTHON();
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
