// The command line of vorn-batch:
//   vorn-batch [options] DRAWING.dxf COMMAND...
// Options may stand anywhere. Settings travel as keys of the settings file: defaults, then
// --settings FILE, then the overrides (--set and the shortcuts) in the order given.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vorn::cli {

struct SettingOverride {
  std::string section;
  std::string key;
  std::string value;
};

struct TAcadPointXY {
  double x = 0.0;
  double y = 0.0;
};

struct BatchOptions {
  std::string drawing;
  std::vector<std::string> commands;
  std::string output;  // empty: the drawing's name with "-vorn" before the extension
  std::string settingsFile;
  std::vector<SettingOverride> overrides;
  std::vector<std::string> buildingLayers;
  std::vector<std::string> buildingHandles;
  std::vector<std::string> siteLayers;  // boundary: the site's entities
  std::vector<std::string> siteHandles;
  std::string wallHandle;                   // wall: the picked wall line
  std::string wallLayer;                    // wall: the first LINE on this layer
  std::optional<std::pair<int, int>> view;  // preview: turn and tilt, degrees
  std::optional<bool> footprint;            // preview: footprint and plumb lines
  std::string png;                          // preview: the image file
  std::string workDir;                      // empty: a folder beside the output
  std::string svg;
  std::string dumpSettings;
  std::string pointsFile;   // --points: a CSV file of points for the point commands
  std::string pointsLayer;  // --points-layer: the layer of their circle-and-text marks
  bool tenth = false;       // --tenth: the evaluation step divided by 10
  std::string report;       // --report: the result grid as tab-separated text
  bool verbose = false;
  bool help = false;
  // The placements and the sky commands.
  std::string skyType = "A";                    // --type A|B
  std::optional<TAcadPointXY> at;               // --at X,Y: diagram centre, the annotation's place
  std::optional<TAcadPointXY> point;            // --point X,Y: the measurement point
  std::optional<TAcadPointXY> tableAt;          // --table-at X,Y: area table
  std::optional<TAcadPointXY> positionTableAt;  // --position-table-at X,Y
};

// The commands the tool knows, in the order the help lists them.
const std::vector<std::string>& KnownCommands();

struct ParseResult {
  std::optional<BatchOptions> options;
  std::string error;  // one line when options is empty
};

ParseResult ParseBatchArguments(const std::vector<std::string>& args);

std::string UsageText();

// The output drawing's default path: "site.dxf" gives "site-vorn.dxf" in the same folder.
std::string DefaultOutputPath(const std::string& drawing);

}  // namespace vorn::cli
