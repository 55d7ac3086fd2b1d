// vorn-batch's point commands end to end on the sample site: the report's cells against an
// independent oracle, the annotation read back by ezdxf, and bad point files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/batch_fixture.h"
#include "cli/batch_run.h"
#include "cli/point_source.h"
#include "python_checks.h"

namespace vorn::cli {
namespace {

namespace fs = std::filesystem;

class BatchPoints : public BatchTest {
 protected:
  // The report's rows split into cells (header included).
  static std::vector<std::vector<std::string>> Cells(const std::string& report) {
    std::vector<std::vector<std::string>> rows;
    std::size_t start = 0;
    for (std::size_t end; (end = report.find("\r\n", start)) != std::string::npos;
         start = end + 2) {
      std::vector<std::string> cells;
      const std::string line = report.substr(start, end - start);
      std::size_t from = 0;
      for (std::size_t tab; (tab = line.find('\t', from)) != std::string::npos; from = tab + 1) {
        cells.push_back(line.substr(from, tab - from));
      }
      cells.push_back(line.substr(from));
      rows.push_back(cells);
    }
    return rows;
  }

  // The oracle's verdict on a report: "ok" or the differences.
  std::string Oracle(const std::string& report, const std::string& args) {
    const std::string verdict = At("oracle.txt");
    const std::string command = std::string(VORN_PYTHON) + " " + VORN_SOURCE_DIR +
                                "/tests/shadows/point_times_oracle.py --site " + Sample() +
                                " 建物 " + args + " " + report + " > " + verdict + " 2>&1";
    std::system(command.c_str());
    return Slurp(verdict);
  }
};

TEST_F(BatchPoints, CsvPointsInSummerWithTheirNamesAndTheOracleTimes) {
  std::ofstream(At("points.csv"), std::ios::binary) << "\xEF\xBB\xBF# specific points\r\n"
                                                    << "30000,55000\r\n"
                                                    << "50000, 55000, 0, 北側 A\r\n"
                                                    << "\r\n"
                                                    << "40000,40000,,first\r\n"
                                                    << "70000,55000\r\n"
                                                    << "40000,40000,0,second\r\n";
  const std::string report = At("report.tsv");
  ASSERT_EQ(Run({Sample(),
                 "points",
                 "--building-layer",
                 "建物",
                 "--points",
                 At("points.csv"),
                 "--season",
                 "summer",
                 "--hours",
                 "12.5-16",
                 "--set",
                 "Touji.kankaku=2",
                 "--set",
                 "Tokutei.takasa=1.5",
                 "--report",
                 report,
                 "-o",
                 At("out.dxf"),
                 "--work-dir",
                 At("work")}),
            kExitSuccess)
      << err.str();
  EXPECT_NE(out.str().find("report: " + report), std::string::npos);
  const auto rows = Cells(Slurp(report));
  ASSERT_EQ(rows.size(), 5u) << Slurp(report);
  EXPECT_EQ(rows[0][4], " 日影時間");
  // Sorted along x; the repeated point keeps its later name; unnamed points take the mark's
  // text beside them in the drawing ("1" and "3"), a given name wins over it ("北側 A").
  const std::vector<std::vector<std::string>> labels = {
      {"1", "30000", "55000", "1"},
      {"2", "40000", "40000", "second"},
      {"3", "50000", "55000", "北側 A"},
      {"4", "70000", "55000", "3"},
  };
  for (std::size_t r = 0; r < labels.size(); ++r) {
    EXPECT_EQ(std::vector<std::string>(rows[r + 1].begin(), rows[r + 1].begin() + 4), labels[r]);
  }
  VORN_SKIP_WITHOUT_PYTHON();
  EXPECT_EQ(Oracle(report, "36 0.40927970959267024 90 1500 12.5 16 1"), "ok\n");
  EXPECT_FALSE(rows[2][5].empty()) << "the point between the wings sees shadow in summer too";
}

TEST_F(BatchPoints, LayerMarksWithTheTenthStepAndTheAnnotation) {
  const std::string report = At("report.tsv");
  const std::string result = At("out.dxf");
  ASSERT_EQ(Run({Sample(),
                 "points",
                 "annotate",
                 "--building-layer",
                 "建物",
                 "--points-layer",
                 "特定点",
                 "--hours",
                 "11.25-11.35",
                 "--set",
                 "Touji.kankaku=0",
                 "--tenth",
                 "--set",
                 "Common.takasa2=450",
                 "--report",
                 report,
                 "--at",
                 "20000,95000",
                 "-o",
                 result,
                 "--work-dir",
                 At("work")}),
            kExitSuccess)
      << err.str();
  const auto rows = Cells(Slurp(report));
  ASSERT_EQ(rows.size(), 6u);
  const char* names[] = {"1", "4", "2", "5", "3"};
  for (std::size_t r = 1; r < rows.size(); ++r) EXPECT_EQ(rows[r][3], names[r - 1]);
  // One-second samples: entries shown in steps of five seconds.
  EXPECT_EQ(rows[3][5], "11:17'15\"");
  VORN_SKIP_WITHOUT_PYTHON();
  EXPECT_EQ(Oracle(report, "36 -0.40927970959267024 90 0 11.25 11.35 0.016666666666666666"),
            "ok\n");

  const std::string verdict = At("annotation.txt");
  const std::string command =
      std::string(VORN_PYTHON) + " " + VORN_SOURCE_DIR + "/tests/cli/check_annotation.py " +
      result + " " + report +
      " 20000 95000 450 \"測定面の高さ= 0.0 メートル /評価時間= 10 秒\" > " + verdict + " 2>&1";
  std::system(command.c_str());
  EXPECT_EQ(Slurp(verdict), "ok\n");
}

TEST_F(BatchPoints, BadPointFilesNameTheFileAndLineAndWriteNothing) {
  struct Case {
    std::string content;
    std::string message;  // after the file's path
  };
  const Case cases[] = {
      {"1,2\n3,abc\n", ":2: \"3,abc\" is not a point"},
      {"# only a comment\n\n", ":2: the file ends without a point"},
      {"", ":1: the file ends without a point"},
      {"5\n", ":1: \"5\" is not a point"},
      {"1,2,inf\n", ":1: \"1,2,inf\" is not a point"},
  };
  for (const Case& c : cases) {
    std::ofstream(At("bad.csv"), std::ios::binary) << c.content;
    EXPECT_EQ(Run({Sample(), "points", "--points", At("bad.csv"), "--report", At("r.tsv"), "-o",
                   At("never.dxf"), "--work-dir", At("work")}),
              kExitBadInput)
        << c.content;
    const std::string expected = "vorn-batch: " + At("bad.csv") + c.message;
    EXPECT_EQ(err.str().rfind(expected, 0), 0u) << err.str();
    const std::string message = err.str();
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
    EXPECT_FALSE(fs::exists(At("never.dxf")));
    EXPECT_FALSE(fs::exists(At("r.tsv")));
    EXPECT_FALSE(fs::exists(At("work")));
  }
  EXPECT_EQ(Run({Sample(), "points", "--points", At("missing.csv"), "-o", At("never.dxf")}),
            kExitBadInput);
  EXPECT_NE(err.str().find("missing.csv"), std::string::npos);
}

TEST_F(BatchPoints, OptionsAndFailuresOfThePointCommands) {
  struct Case {
    std::vector<std::string> args;
    int exit;
    std::string reason;
  };
  const std::string o = At("never.dxf");
  const Case cases[] = {
      {{Sample(), "points", "-o", o}, kExitBadInput, "points needs --points"},
      {{Sample(), "points", "--points", "a.csv", "--points-layer", "x", "-o", o},
       kExitBadInput,
       "cannot be combined"},
      {{Sample(), "annotate", "-o", o}, kExitBadInput, "annotate needs --at"},
      {{Sample(), "annotate", "--at", "1;2", "-o", o}, kExitBadInput, "--at expects X,Y"},
      {{Sample(), "points", "--building-layer", "建物", "--points-layer", "注記", "-o", o},
       kExitCommandFailed,
       "no point marks (circles) on the layer 注記"},
      {{Sample(), "annotate", "--at", "0,0", "-o", o},
       kExitCommandFailed,
       "建物データがありません"},
      {{Sample(), "points", "--building-layer", "建物", "--points-layer", "特定点", "--hours",
        "7-9", "-o", o},
       kExitCommandFailed,
       "8.0から16.0"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Run(c.args), c.exit) << c.args[1] << " " << err.str();
    EXPECT_NE(err.str().find(c.reason), std::string::npos) << err.str();
    EXPECT_FALSE(fs::exists(o)) << c.reason;
  }
}

TEST(PointFile, NamesCommentsAndOptionalHeights) {
  const fs::path path = fs::temp_directory_path() / "vorn-point-file-test.csv";
  std::ofstream(path, std::ios::binary) << "# x,y,z,name\n1.5,2\n  3 , 4 , 5 , a, b \n6,7,,\n";
  const PointFile file = ReadPointFile(path.string());
  fs::remove(path);
  ASSERT_TRUE(file.error.empty()) << file.error;
  ASSERT_EQ(file.points.size(), 3u);
  EXPECT_EQ(file.points[0].p, (TAcadPoint{1.5, 2, 0}));
  EXPECT_FALSE(file.points[0].name);
  EXPECT_EQ(file.points[1].p, (TAcadPoint{3, 4, 5}));
  EXPECT_EQ(file.points[1].name, std::optional<std::string>("a, b"));
  EXPECT_EQ(file.points[2].p, (TAcadPoint{6, 7, 0}));
  EXPECT_FALSE(file.points[2].name);
}

}  // namespace
}  // namespace vorn::cli
