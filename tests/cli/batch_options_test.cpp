#include "cli/batch_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vorn::cli {
namespace {

TEST(BatchArguments, OptionsMayStandAnywhereAndShortcutsBecomeSettingsKeys) {
  const ParseResult r =
      ParseBatchArguments({"--lat", "35:41:30", "site.dxf", "-v", "hourly", "--season", "summer",
                           "--hours", "9-15/0.5", "--set", "Layer.Jikoku=影", "--plane", "1.5"});
  ASSERT_TRUE(r.options) << r.error;
  const BatchOptions& o = *r.options;
  EXPECT_EQ(o.drawing, "site.dxf");
  EXPECT_EQ(o.commands, std::vector<std::string>{"hourly"});
  EXPECT_TRUE(o.verbose);
  EXPECT_EQ(o.output, "site-vorn.dxf");
  std::vector<std::string> keys;
  for (const SettingOverride& s : o.overrides)
    keys.push_back(s.section + "." + s.key + "=" + s.value);
  EXPECT_EQ(keys, (std::vector<std::string>{"Common.ido1=35", "Common.ido2=41", "Common.ido3=30",
                                            "Common.kisetsu=2", "Jikoku.kaishi=9",
                                            "Jikoku.owari=15", "Jikoku.kankaku=0.5",
                                            "Layer.Jikoku=影", "Common.takasa=1.5"}));
}

TEST(BatchArguments, DefaultOutputSitsBesideTheInput) {
  EXPECT_EQ(DefaultOutputPath("/data/site.dxf"), "/data/site-vorn.dxf");
  EXPECT_EQ(DefaultOutputPath("site.DXF"), "site-vorn.DXF");
  EXPECT_EQ(DefaultOutputPath("drawing"), "drawing-vorn.dxf");
  EXPECT_EQ(DefaultOutputPath("建物.v2/敷地"), "建物.v2/敷地-vorn.dxf");
  EXPECT_EQ(DefaultOutputPath("dir/.dxf"), "dir/.dxf-vorn.dxf");
  EXPECT_EQ(DefaultOutputPath("C:\\図面\\敷地.dxf"), "C:\\図面\\敷地-vorn.dxf");
}

TEST(BatchArguments, BadArgumentsAreNamed) {
  struct Case {
    std::vector<std::string> args;
    std::string error;
  };
  const Case cases[] = {
      {{}, "no drawing given"},
      {{"a.dxf", "sky2"}, "unknown command \"sky2\""},
      {{"a.dxf", "--frobnicate"}, "unknown option --frobnicate"},
      {{"a.dxf", "-o"}, "-o needs a value"},
      {{"a.dxf", "--lat", "abc"}, "--lat expects D[:M[:S]] with numbers, not \"abc\""},
      {{"a.dxf", "--season", "spring"},
       "--season expects winter, equinox or summer, not \"spring\""},
      {{"a.dxf", "--hours", "8-x"},
       "--hours expects FROM-TO or FROM-TO/STEP in decimal hours, not \"8-x\""},
      {{"a.dxf", "--set", "Common=1"}, "--set expects Section.Key=Value, not \"Common=1\""},
      {{"a.dxf", "--building-layer", "A", "--building-handle", "1F"},
       "--building-layer and --building-handle cannot be combined"},
  };
  for (const Case& c : cases) {
    const ParseResult r = ParseBatchArguments(c.args);
    EXPECT_FALSE(r.options);
    EXPECT_EQ(r.error, c.error);
  }
}

}  // namespace
}  // namespace vorn::cli
