// vorn-batch on drawings written by ezdxf in every DXF version it writes, each holding every
// entity kind that version has: a run without commands keeps the whole drawing, and the hourly
// diagram and the wall elevation add their entities in the drawing's own version. ezdxf's strict
// reader is the judge (tests/cad/roundtrip/compare_drawings.py).
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cli/batch_run.h"
#include "test_files.h"

namespace vorn::cli {
namespace {

namespace fs = std::filesystem;

struct PythonRun {
  int status = -1;
  std::string output;
};

PythonRun RunPython(const std::string& arguments) {
  PythonRun run;
  const std::string command = std::string(VORN_PYTHON) + " " + arguments + " 2>&1";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  if (!pipe) return run;
  std::array<char, 4096> buffer{};
  size_t read = 0;
  while ((read = std::fread(buffer.data(), 1, buffer.size(), pipe.get())) > 0) {
    run.output.append(buffer.data(), read);
  }
  run.status = pclose(pipe.release());
  return run;
}

std::string Script(const std::string& name) {
  return std::string(VORN_SOURCE_DIR) + "/tests/cad/roundtrip/" + name;
}

class BatchRoundTrip : public ::testing::TestWithParam<const char*> {
 protected:
  // The drawings are made once for the whole program: ezdxf takes a while to start.
  static void SetUpTestSuite() {
    drawings_ = std::make_unique<vorn::testing::TempFolder>();
    const PythonRun made = RunPython(Script("make_drawings.py") + " " + drawings_->path().string());
    if (made.status != 0) makeError_ = "make_drawings.py failed: " + made.output;
  }
  static void TearDownTestSuite() { drawings_.reset(); }

  void SetUp() override {
    if (std::string(VORN_PYTHON).empty()) GTEST_SKIP() << "python3 with ezdxf is not installed";
    ASSERT_EQ(makeError_, "");
  }

  static std::string Drawing() {
    return (drawings_->path() / (std::string(GetParam()) + ".dxf")).string();
  }
  std::string At(const std::string& name) const { return (temp.path() / name).string(); }

  int Run(const std::vector<std::string>& args) {
    out.str({});
    err.str({});
    return BatchMain(args, out, err);
  }

  static std::unique_ptr<vorn::testing::TempFolder> drawings_;
  static std::string makeError_;
  vorn::testing::TempFolder temp;
  std::ostringstream out, err;
};

std::unique_ptr<vorn::testing::TempFolder> BatchRoundTrip::drawings_;
std::string BatchRoundTrip::makeError_;

TEST_P(BatchRoundTrip, WithoutCommandsChangesNothingACadWouldSee) {
  const std::string saved = At("saved.dxf");
  ASSERT_EQ(Run({Drawing(), "-o", saved, "-v", "--work-dir", At("work")}), kExitSuccess)
      << err.str();
  EXPECT_EQ(err.str().find("not kept"), std::string::npos) << err.str();
  const PythonRun check = RunPython(Script("compare_drawings.py") + " " + Drawing() + " " + saved);
  EXPECT_EQ(check.status, 0) << check.output;
  EXPECT_EQ(check.output, "ok\n");
}

TEST_P(BatchRoundTrip, TheHourlyDiagramIsAddedInTheDrawingsVersion) {
  const std::string saved = At("hourly.dxf");
  ASSERT_EQ(Run({Drawing(), "hourly", "--building-layer", "建物棟", "--lat", "34:41", "--season",
                 "summer", "--hours", "9-15/1", "-o", saved, "--work-dir", At("work")}),
            kExitSuccess)
      << err.str();
  const PythonRun check =
      RunPython(Script("compare_drawings.py") + " " + Drawing() + " " + saved + " added");
  EXPECT_EQ(check.status, 0) << check.output;
  // One outline and one time label per hour from 9 to 15.
  EXPECT_EQ(check.output, "ok\nadded POLYLINE 7\nadded TEXT 7\n");
}

// The wall elevation kept as one block: a block definition and, from R2000 on, its block
// record are added along with the reference.
TEST_P(BatchRoundTrip, AWallElevationKeptAsABlockIsAddedInTheDrawingsVersion) {
  const std::string saved = At("wall.dxf");
  ASSERT_EQ(Run({Drawing(),
                 "wall",
                 "--building-layer",
                 "建物棟",
                 "--wall-layer",
                 "隣地壁面",
                 "--lat",
                 "35:41",
                 "--season",
                 "winter",
                 "--set",
                 "Hekimen.senjou=0",
                 "--set",
                 "Hekimen.block=1",
                 "--at",
                 "0,30000",
                 "-o",
                 saved,
                 "--work-dir",
                 At("work")}),
            kExitSuccess)
      << err.str();
  const PythonRun check =
      RunPython(Script("compare_drawings.py") + " " + Drawing() + " " + saved + " added");
  EXPECT_EQ(check.status, 0) << check.output;
  EXPECT_EQ(check.output, "ok\nadded INSERT 1\n");
}

INSTANTIATE_TEST_SUITE_P(Versions, BatchRoundTrip,
                         ::testing::Values("R12", "R2000", "R2004", "R2007", "R2010", "R2013",
                                           "R2018"),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
}  // namespace vorn::cli
