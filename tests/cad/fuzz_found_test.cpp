// The inputs the open-and-save fuzzer once broke the host with (tests/dxf/fuzz_found/), each
// opened, saved and reopened as vorn-batch does. A file named "refused-…" must be refused with
// a one-line reason naming the line; one named "opens-…" must come through the round trip.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

#include "fuzz/open_save_round_trip.h"
#include "test_files.h"

namespace vorn::fuzz {
namespace {

namespace fs = std::filesystem;

const fs::path kFoundFolder = fs::path(VORN_SOURCE_DIR) / "tests" / "dxf" / "fuzz_found";

std::vector<std::string> FoundInputs() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(kFoundFolder)) {
    if (entry.path().extension() == ".dxf") names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string TestName(const ::testing::TestParamInfo<std::string>& info) {
  std::string name = fs::path(info.param).stem().string();
  std::replace_if(
      name.begin(), name.end(), [](unsigned char c) { return !std::isalnum(c); }, '_');
  return name;
}

class FoundInput : public ::testing::TestWithParam<std::string> {};

TEST_P(FoundInput, IsRefusedClearlyOrComesThroughTheRoundTrip) {
  const std::string name = GetParam();
  const bool refusalExpected = name.starts_with("refused-");
  ASSERT_TRUE(refusalExpected || name.starts_with("opens-")) << name << " says no outcome";
  testing::TempFolder folder;
  RoundTripResult result;
  try {
    result = OpenSaveRoundTrip(testing::ReadFile(kFoundFolder / name), folder.path());
  } catch (const RoundTripFault& fault) {
    FAIL() << fault.what();
  }
  EXPECT_EQ(result.opened, !refusalExpected) << result.refusal;
  if (refusalExpected) {
    EXPECT_NE(result.refusal.find(": line "), std::string::npos) << result.refusal;
  }
}

INSTANTIATE_TEST_SUITE_P(FuzzFound, FoundInput, ::testing::ValuesIn(FoundInputs()), TestName);

// The round trip itself tells a drawing from bytes that are none.
TEST(OpenSaveRoundTrip, OpensADrawingAndRefusesWhatIsNone) {
  testing::TempFolder folder;
  const RoundTripResult drawing = OpenSaveRoundTrip(
      testing::ReadFile(fs::path(VORN_SOURCE_DIR) / "tests/dxf/fixtures/r2000_cp932.dxf"),
      folder.path());
  EXPECT_TRUE(drawing.opened) << drawing.refusal;
  const RoundTripResult none = OpenSaveRoundTrip("hello\nworld\n", folder.path());
  EXPECT_FALSE(none.opened);
  EXPECT_NE(none.refusal.find("line 1: a group code (an integer) was expected"), std::string::npos)
      << none.refusal;
}

}  // namespace
}  // namespace vorn::fuzz
