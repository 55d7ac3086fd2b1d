#include "cli/batch_options.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>

#include "app/number_box.h"

namespace vorn::cli {

namespace {

bool IsNumber(const std::string& text) { return ParseDouble(text).has_value(); }

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (std::size_t pos; (pos = text.find(separator, start)) != std::string::npos; start = pos + 1) {
    parts.push_back(text.substr(start, pos - start));
  }
  parts.push_back(text.substr(start));
  return parts;
}

// "Section.Key=Value".
std::optional<SettingOverride> ParseSet(const std::string& text) {
  const std::size_t dot = text.find('.');
  const std::size_t equals = text.find('=');
  if (dot == std::string::npos || equals == std::string::npos || dot == 0 || equals < dot + 2) {
    return std::nullopt;
  }
  return SettingOverride{text.substr(0, dot), text.substr(dot + 1, equals - dot - 1),
                         text.substr(equals + 1)};
}

// "D", "D:M" or "D:M:S".
std::optional<std::vector<SettingOverride>> ParseLatitude(const std::string& text) {
  const std::vector<std::string> parts = Split(text, ':');
  if (parts.size() > 3) return std::nullopt;
  std::vector<SettingOverride> keys;
  const char* names[] = {"ido1", "ido2", "ido3"};
  for (std::size_t i = 0; i < 3; ++i) {
    const std::string value = i < parts.size() ? parts[i] : "0";
    if (!IsNumber(value)) return std::nullopt;
    keys.push_back({"Common", names[i], value});
  }
  return keys;
}

std::optional<std::vector<SettingOverride>> ParseSeason(const std::string& text) {
  static const std::map<std::string, std::string> kSeasons = {
      {"winter", "0"}, {"equinox", "1"}, {"summer", "2"}};
  const auto it = kSeasons.find(text);
  if (it == kSeasons.end()) return std::nullopt;
  return std::vector<SettingOverride>{{"Common", "kisetsu", it->second}};
}

// "FROM-TO" or "FROM-TO/STEP".
std::optional<std::vector<SettingOverride>> ParseHours(const std::string& text) {
  const std::vector<std::string> byStep = Split(text, '/');
  if (byStep.size() > 2) return std::nullopt;
  const std::vector<std::string> range = Split(byStep[0], '-');
  if (range.size() != 2 || !IsNumber(range[0]) || !IsNumber(range[1])) return std::nullopt;
  std::vector<SettingOverride> keys = {{"Jikoku", "kaishi", range[0]},
                                       {"Jikoku", "owari", range[1]}};
  if (byStep.size() == 2) {
    if (!IsNumber(byStep[1])) return std::nullopt;
    keys.push_back({"Jikoku", "kankaku", byStep[1]});
  }
  return keys;
}

// "1.5,2.5,4.0": ticks exactly those of the fourteen isochrone levels 1.5 ... 8.0 hours.
std::optional<std::vector<SettingOverride>> ParseLevels(const std::string& text) {
  std::vector<bool> ticked(14, false);
  for (const std::string& part : Split(text, ',')) {
    const std::optional<double> hours = ParseDouble(part);
    if (!hours) return std::nullopt;
    const double index = (*hours - 1.5) / 0.5;
    if (!(index >= 0 && index <= 13) || index != static_cast<int>(index)) return std::nullopt;
    ticked[static_cast<int>(index)] = true;
  }
  std::vector<SettingOverride> keys;
  for (std::size_t i = 0; i < ticked.size(); ++i) {
    keys.push_back({"Touji", "chk" + std::to_string(i), ticked[i] ? "1" : "0"});
  }
  return keys;
}

std::optional<std::vector<SettingOverride>> OneNumber(const std::string& text, const char* section,
                                                      const char* key) {
  if (!IsNumber(text)) return std::nullopt;
  return std::vector<SettingOverride>{{section, key, text}};
}

// "H,V": whole degrees of turn and tilt.
std::optional<std::pair<int, int>> ParseView(const std::string& text) {
  const std::vector<std::string> parts = Split(text, ',');
  if (parts.size() != 2) return std::nullopt;
  int degrees[2] = {0, 0};
  for (int i = 0; i < 2; ++i) {
    const std::optional<double> v = ParseDouble(parts[i]);
    if (!v || *v != std::trunc(*v) || *v < 0.0 || *v > 360.0) return std::nullopt;
    degrees[i] = static_cast<int>(*v);
  }
  return std::make_pair(degrees[0], degrees[1]);
}

using Shortcut = std::function<std::optional<std::vector<SettingOverride>>(const std::string&)>;

const std::map<std::string, std::pair<Shortcut, const char*>>& Shortcuts() {
  static const std::map<std::string, std::pair<Shortcut, const char*>> kShortcuts = {
      {"--lat", {ParseLatitude, "D[:M[:S]] with numbers"}},
      {"--north",
       {[](const std::string& t) { return OneNumber(t, "Common", "makita"); },
        "degrees counter-clockwise from +x"}},
      {"--season", {ParseSeason, "winter, equinox or summer"}},
      {"--plane",
       {[](const std::string& t) { return OneNumber(t, "Common", "takasa"); }, "metres"}},
      {"--hours", {ParseHours, "FROM-TO or FROM-TO/STEP in decimal hours"}},
      {"--levels", {ParseLevels, "half hours from 1.5 to 8.0, e.g. 1.5,2.5,4.0"}},
  };
  return kShortcuts;
}

bool TakesValue(const std::string& option) {
  static const std::vector<std::string> kWithValue = {
      "-o", "--settings", "--set", "--building-layer", "--building-handle", "--work-dir", "--svg",
      "--dump-settings",
      // the answers of the commands' picks and placements
      "--points", "--points-layer", "--report", "--type", "--at", "--point", "--table-at",
      "--position-table-at", "--site-layer", "--site-handle", "--wall-handle", "--wall-layer",
      "--view", "--footprint", "--png"};
  return Shortcuts().count(option) > 0 ||
         std::find(kWithValue.begin(), kWithValue.end(), option) != kWithValue.end();
}

// Applies one option with its value; an error text when the value is not acceptable.
std::string ApplyOption(BatchOptions& o, const std::string& option, const std::string& value) {
  if (option == "-o") {
    o.output = value;
  } else if (option == "--settings") {
    o.settingsFile = value;
  } else if (option == "--set") {
    const auto setting = ParseSet(value);
    if (!setting) return "--set expects Section.Key=Value, not \"" + value + "\"";
    o.overrides.push_back(*setting);
  } else if (option == "--building-layer") {
    o.buildingLayers.push_back(value);
  } else if (option == "--building-handle") {
    o.buildingHandles.push_back(value);
  } else if (option == "--site-layer") {
    o.siteLayers.push_back(value);
  } else if (option == "--site-handle") {
    o.siteHandles.push_back(value);
  } else if (option == "--wall-handle") {
    o.wallHandle = value;
  } else if (option == "--wall-layer") {
    o.wallLayer = value;
  } else if (option == "--view") {
    const auto view = ParseView(value);
    if (!view) return "--view expects H,V in whole degrees from 0 to 360, not \"" + value + "\"";
    o.view = view;
  } else if (option == "--footprint") {
    if (value != "on" && value != "off")
      return "--footprint expects on or off, not \"" + value + "\"";
    o.footprint = value == "on";
  } else if (option == "--png") {
    o.png = value;
  } else if (option == "--work-dir") {
    o.workDir = value;
  } else if (option == "--svg") {
    o.svg = value;
  } else if (option == "--dump-settings") {
    o.dumpSettings = value;
  } else if (option == "--points") {
    o.pointsFile = value;
  } else if (option == "--points-layer") {
    o.pointsLayer = value;
  } else if (option == "--report") {
    o.report = value;
  } else if (option == "--type") {
    if (value != "A" && value != "B") return "--type expects A or B, not \"" + value + "\"";
    o.skyType = value;
  } else if (option == "--at" || option == "--point" || option == "--table-at" ||
             option == "--position-table-at") {
    const std::vector<std::string> xy = Split(value, ',');
    if (xy.size() != 2 || !IsNumber(xy[0]) || !IsNumber(xy[1])) {
      return option + " expects X,Y with numbers, not \"" + value + "\"";
    }
    const TAcadPointXY p{*ParseDouble(xy[0]), *ParseDouble(xy[1])};
    if (option == "--at") o.at = p;
    if (option == "--point") o.point = p;
    if (option == "--table-at") o.tableAt = p;
    if (option == "--position-table-at") o.positionTableAt = p;
  } else {
    const auto& [parse, expected] = Shortcuts().at(option);
    const auto keys = parse(value);
    if (!keys) return option + " expects " + expected + ", not \"" + value + "\"";
    o.overrides.insert(o.overrides.end(), keys->begin(), keys->end());
  }
  return {};
}

bool Runs(const BatchOptions& o, const std::string& command) {
  return std::find(o.commands.begin(), o.commands.end(), command) != o.commands.end();
}

// The point commands' options: one source of points, and a place for the annotation.
std::string CheckPointOptions(const BatchOptions& o) {
  if (!o.pointsFile.empty() && !o.pointsLayer.empty()) {
    return "--points and --points-layer cannot be combined";
  }
  for (const char* command : {"points", "sky"}) {
    if (Runs(o, command) && o.pointsFile.empty() && o.pointsLayer.empty()) {
      return std::string(command) + " needs --points FILE.csv or --points-layer NAME";
    }
  }
  if (Runs(o, "annotate") && !o.at) return "annotate needs --at X,Y";
  return {};
}

}  // namespace

const std::vector<std::string>& KnownCommands() {
  static const std::vector<std::string> kCommands = {
      "hourly",   "isochrones", "points", "annotate", "sky",
      "sky-draw", "sky-pick",   "wall",   "boundary", "preview"};
  return kCommands;
}

// Text work rather than std::filesystem, so the name keeps the user's separators and its UTF-8
// on every system (a Windows path would take the ANSI code page and backslashes).
std::string DefaultOutputPath(const std::string& drawing) {
#ifdef _WIN32
  constexpr std::string_view kSeparators = "/\\:";
#else
  constexpr std::string_view kSeparators = "/";
#endif
  const std::size_t separator = drawing.find_last_of(kSeparators);
  const std::size_t nameStart = separator == std::string::npos ? 0 : separator + 1;
  const std::size_t dot = drawing.rfind('.');
  // A leading dot starts a hidden file's name, not an extension.
  if (dot == std::string::npos || dot <= nameStart) return drawing + "-vorn.dxf";
  return drawing.substr(0, dot) + "-vorn" + drawing.substr(dot);
}

ParseResult ParseBatchArguments(const std::vector<std::string>& args) {
  BatchOptions o;
  std::vector<std::string> positional;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "-h" || arg == "--help") {
      o.help = true;
    } else if (arg == "-v" || arg == "--verbose") {
      o.verbose = true;
    } else if (arg == "--tenth") {
      o.tenth = true;
    } else if (TakesValue(arg)) {
      if (i + 1 >= args.size()) return {std::nullopt, arg + " needs a value"};
      const std::string error = ApplyOption(o, arg, args[++i]);
      if (!error.empty()) return {std::nullopt, error};
    } else if (arg.size() > 1 && arg[0] == '-') {
      return {std::nullopt, "unknown option " + arg};
    } else {
      positional.push_back(arg);
    }
  }
  if (o.help) return {o, {}};
  if (positional.empty()) return {std::nullopt, "no drawing given"};
  o.drawing = positional.front();
  for (std::size_t i = 1; i < positional.size(); ++i) {
    const auto& known = KnownCommands();
    if (std::find(known.begin(), known.end(), positional[i]) == known.end()) {
      return {std::nullopt, "unknown command \"" + positional[i] + "\""};
    }
    o.commands.push_back(positional[i]);
  }
  if (!o.buildingLayers.empty() && !o.buildingHandles.empty()) {
    return {std::nullopt, "--building-layer and --building-handle cannot be combined"};
  }
  for (const std::string& command : o.commands) {
    if (command == "sky-draw" && !o.at) return {std::nullopt, "sky-draw needs --at X,Y"};
    if (command == "sky-pick" && (!o.at || !o.point)) {
      return {std::nullopt, "sky-pick needs --point X,Y and --at X,Y"};
    }
  }
  if (const std::string error = CheckPointOptions(o); !error.empty()) return {std::nullopt, error};
  if (!o.siteLayers.empty() && !o.siteHandles.empty()) {
    return {std::nullopt, "--site-layer and --site-handle cannot be combined"};
  }
  if (!o.wallLayer.empty() && !o.wallHandle.empty()) {
    return {std::nullopt, "--wall-layer and --wall-handle cannot be combined"};
  }
  if (o.output.empty()) o.output = DefaultOutputPath(o.drawing);
  return {o, {}};
}

std::string UsageText() {
  return "usage: vorn-batch [options] DRAWING.dxf COMMAND...\n"
         "Runs the commands in order on the drawing and saves the result.\n"
         "commands:\n"
         "  hourly                  hourly shadow diagram of the picked building\n"
         "  isochrones              isochronal shadow lines of the picked building; prints the\n"
         "                          final status lines (mesh size, time taken)\n"
         "  wall                    wall elevation with the building's shadows on a picked wall\n"
         "  boundary                deemed boundary lines 5 m and 10 m outside the site\n"
         "  preview                 wireframe preview of the building, drawn as a block\n"
         "  points                  shadow time at the specific points (needs --points or\n"
         "                          --points-layer; Tokutei.takasa, Touji.kankaku)\n"
         "  annotate                the specific points' results as texts at --at X,Y\n"
         "  sky                     sky factors at the measurement points (needs --points or\n"
         "                          --points-layer; the point's z or the circle's elevation\n"
         "                          is the plane height)\n"
         "  sky-draw                sky diagrams of all measurement points in a row (the\n"
         "                          points of --points or --points-layer, or of sky before)\n"
         "  sky-pick                one sky diagram: the measurement point, then its placement\n"
         "  (none)                  open the drawing and save it again\n"
         "options:\n"
         "  -o FILE.dxf             the resulting drawing (default: DRAWING-vorn.dxf)\n"
         "  --settings FILE.ini     read parameters from a settings file\n"
         "  --set Section.Key=Value override one settings key (repeatable)\n"
         "  --lat D:M:S             latitude (Common.ido1..ido3)\n"
         "  --north DEG             true north, counter-clockwise from +x (Common.makita)\n"
         "  --season winter|equinox|summer   (Common.kisetsu)\n"
         "  --plane METRES          measurement plane height (Common.takasa)\n"
         "  --hours FROM-TO/STEP    hourly times (Jikoku.kaishi, owari, kankaku)\n"
         "  --levels 1.5,2.5,4.0    tick exactly these isochrone levels (Touji.chk0..chk13);\n"
         "                          the step is Touji.kankaku2 (0: 10 s, 1: 30 s, 2: 60 s),\n"
         "                          smoothing Touji.tyokuchk and Touji.tyokusen\n"
         "  --building-layer NAME   the building is every entity on the layer (repeatable)\n"
         "  --building-handle H     the building is the entity with this handle (repeatable)\n"
         "                          (default: every model-space entity)\n"
         "  --site-layer NAME       boundary: the site is every entity on the layer (repeatable)\n"
         "  --site-handle H         boundary: the site is the entity with this handle\n"
         "                          (repeatable)\n"
         "  --wall-handle H         wall: the picked wall line\n"
         "  --wall-layer NAME       wall: the first LINE on the layer is the wall\n"
         "  --view H,V              preview: turn and tilt in whole degrees (default 315,60)\n"
         "  --footprint on|off      preview: footprint and plumb lines\n"
         "  --png FILE.png          preview: save the preview image\n"
         "  --work-dir DIR          folder for the VORN_ files (default: beside the output)\n"
         "  --svg FILE.svg          also render the resulting drawing as SVG\n"
         "  --dump-settings FILE.ini write the effective settings\n"
         "  --points FILE.csv       points to pick, one a line: x,y[,z[,name]] (# comments)\n"
         "  --points-layer NAME     select the circle-and-text point marks on the layer\n"
         "  --tenth                 evaluation step divided by 10 (評価時間を 1/10 に)\n"
         "  --report FILE.tsv       write the result grid as its copy command does\n"
         "  --type A|B              sky-draw, sky-pick: the diagram type (default A)\n"
         "  --at X,Y                where a placed result goes (annotate, wall, preview,\n"
         "                          sky-pick); sky-draw: centre of the first diagram\n"
         "  --point X,Y             sky-pick: the measurement point\n"
         "  --table-at X,Y          sky-pick: placement of the area table (needed while its\n"
         "                          box is ticked: Tenku.Kyuseki, Tenku.KyusekiB)\n"
         "  --position-table-at X,Y sky-pick: placement of the position table (needed while\n"
         "                          its box is ticked: Tenku.tateiti, Tenku.tateitiB)\n"
         "  -v                      echo the CAD prompts on standard output\n"
         "exit status: 0 success, 1 a command failed, 2 bad arguments or unreadable drawing\n";
}

}  // namespace vorn::cli
