// A test of vorn-batch end to end: a temporary folder of its own, the bundled sample site, and
// what the last run wrote to standard output and standard error.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "cli/batch_run.h"
#include "test_files.h"

namespace vorn::cli {

class BatchTest : public ::testing::Test {
 protected:
  int Run(const std::vector<std::string>& args) {
    out.str({});
    err.str({});
    return BatchMain(args, out, err);
  }

  static std::string Sample() { return std::string(VORN_SOURCE_DIR) + "/examples/sample_site.dxf"; }
  std::string At(const std::string& name) const { return (dir / name).string(); }
  static std::string Slurp(const std::filesystem::path& path) {
    return vorn::testing::ReadFile(path);
  }

  vorn::testing::TempFolder temp;
  const std::filesystem::path& dir = temp.path();
  std::ostringstream out, err;
};

}  // namespace vorn::cli
