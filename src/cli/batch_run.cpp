#include "cli/batch_run.h"

#include <filesystem>
#include <functional>
#include <map>
#include <ostream>
#include <set>
#include <string>

#include "acquisition/png_file.h"
#include "app/data_folders.h"
#include "app/file_io.h"
#include "app/ini_file.h"
#include "app/main_form.h"
#include "app/settings_file.h"
#include "app/shell.h"
#include "cad/cad_operations.h"
#include "cad/host/drawing_host.h"
#include "cad/host/drawing_svg.h"
#include "cad/host/scripted_interaction.h"
#include "cli/point_source.h"
#include "dxf/ascii_case.h"
#include "dxf/dxf_document.h"
#include "dxf/file_replace.h"
#include "shadows/deemed_boundary.h"

namespace vorn::cli {

namespace fs = std::filesystem;

namespace {

std::string OneLine(std::string_view text) {
  std::string line(text);
  for (char& c : line) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return line;
}

// The window's surroundings without a window: message boxes become lines on standard error,
// the program's files live in the work folder, nothing waits for a user.
class BatchShell final : public Shell {
 public:
  BatchShell(std::ostream& err, fs::path workDir) : err_(err), workDir_(std::move(workDir)) {}

  void ShowMessage(std::string_view caption, std::string_view text) override {
    err_ << caption << ": " << OneLine(text) << "\n";
    ++messages_;
  }
  void MinimizeMainWindow() override {}
  void RestoreMainWindow() override {}
  bool IsMainWindowNormal() const override { return true; }
  void ProcessMessages() override {}
  void SetClipboardText(std::string_view text) override { clipboard_ = text; }
  void Sleep(int) override {}
  ScreenSize Screen() const override { return {1920, 1080}; }
  fs::path ExecutablePath() const override { return workDir_ / "vorn-batch"; }
  std::optional<std::string> Environment(std::string_view) const override { return std::nullopt; }
  bool IsFolderWritable(const fs::path& folder) const override {
    return ProbeFolderWritable(folder);
  }
  void PlaceTopMost() override {}
  void ShowTargetCadDialog(TTargetCADForm&) override {}

  int Messages() const { return messages_; }
  const std::string& Clipboard() const { return clipboard_; }

 private:
  std::ostream& err_;
  fs::path workDir_;
  int messages_ = 0;
  std::string clipboard_;
};

// The host waits synchronously; sleeping would only slow the batch down.
class InstantClock final : public cad::CadClock {
 public:
  void Sleep(int milliseconds) override { now_ += milliseconds; }
  int64_t NowMilliseconds() override { return now_; }

 private:
  int64_t now_ = 0;
};

struct BatchContext {
  const BatchOptions& options;
  std::ostream& err;
  cad::host::ScriptedInteraction& user;
  cad::host::DrawingHost& host;
  BatchShell& shell;
  TForm1& form;
  PointSource points{};
  std::ostream* out = nullptr;            // the commands' own report lines
  bool measurementPointsEntered = false;  // by an earlier sky command of this run
};

// The handles a selection answers with: the given handles once each is known to name an
// entity, or else the entities on the named layers, or every model-space entity when no layer
// is named either. A handle that names no entity is reported by name.
std::optional<std::vector<std::string>> HandlesOf(const BatchContext& c, const std::string& command,
                                                  const std::vector<std::string>& layerNames,
                                                  const std::vector<std::string>& given) {
  const std::set<std::string> layers(layerNames.begin(), layerNames.end());
  std::set<std::string> present;
  std::vector<std::string> handles;
  for (const auto& e : c.host.Document().modelSpace) {
    present.insert(UpperAscii(e.entity.common.handle));
    if (layers.empty() || layers.count(e.entity.common.layer) > 0) {
      handles.push_back(e.entity.common.handle);
    }
  }
  if (given.empty()) return handles;
  for (const std::string& handle : given) {
    if (present.count(UpperAscii(handle)) == 0) {
      c.err << "vorn-batch: " << command << ": no entity has the handle " << handle << "\n";
      return std::nullopt;
    }
  }
  return given;
}

bool PickBuilding(BatchContext& c, const std::string& command) {
  const std::optional<std::vector<std::string>> handles =
      HandlesOf(c, command, c.options.buildingLayers, c.options.buildingHandles);
  if (!handles) return false;
  if (handles->empty()) {
    c.err << "vorn-batch: " << command << ": no entities to pick as the building"
          << (c.options.buildingLayers.empty() ? "" : " on the given layers") << "\n";
    return false;
  }
  c.user.SelectHandles(*handles);
  c.form.Button2Click();
  if (c.form.workspace.BuildingEdges.empty()) {
    c.err << "vorn-batch: " << command
          << ": the building pick holds no lines, arcs, circles, ellipses or polylines\n";
    return false;
  }
  return true;
}

// The hourly diagram; every message it shows reports a failure.
bool RunHourly(BatchContext& c) {
  if (!PickBuilding(c, "hourly")) return false;
  const int before = c.shell.Messages();
  c.form.Button3Click();
  return c.shell.Messages() == before;
}

// The measurement points of --points or --points-layer entered into StringGrid1 as 測定点連続指示
// or 測定点一括取得 would, which ends with the recalculation; once per run, later commands use
// the grid as it stands. False, with the reason on standard error, when the entry failed.
bool EnterMeasurementPoints(BatchContext& c, const std::string& command) {
  if (c.measurementPointsEntered || (c.points.points.empty() && c.points.layer.empty())) {
    return true;
  }
  const std::string error = EnterGivenPoints(c.form, c.user, c.points, 0);
  if (!error.empty()) {
    c.err << "vorn-batch: " << command << ": " << error << "\n";
    return false;
  }
  c.measurementPointsEntered = true;
  return true;
}

// The measurement points entered and their sky factors recalculated, on the page of their
// grid; every message reports a failure.
bool RunSky(BatchContext& c) {
  if (!PickBuilding(c, "sky")) return false;
  c.form.PageControl1.ActivePageIndex = 3;
  const int before = c.shell.Messages();
  if (c.measurementPointsEntered) {
    c.form.Button9Click();
  } else if (!EnterMeasurementPoints(c, "sky")) {
    return false;
  }
  return c.shell.Messages() == before;
}

// The specific points entered and their shadow times computed, on the page of their grid.
bool RunPoints(BatchContext& c) {
  if (!PickBuilding(c, "points")) return false;
  if (c.options.tenth) c.form.CheckBox2.Checked = true;
  c.form.PageControl1.ActivePageIndex = 2;
  const int before = c.shell.Messages();
  const std::string error = EnterGivenPoints(c.form, c.user, c.points, 1);
  if (!error.empty()) {
    c.err << "vorn-batch: points: " << error << "\n";
    return false;
  }
  return c.shell.Messages() == before;
}

// The diagrams of all measurement points in a row from --at (一括).
bool RunSkyDraw(BatchContext& c) {
  if (!PickBuilding(c, "sky-draw")) return false;
  const int before = c.shell.Messages();
  if (!EnterMeasurementPoints(c, "sky-draw")) return false;
  c.user.Point({c.options.at->x, c.options.at->y, 0.0});
  if (c.options.skyType == "B") {
    c.form.Button24Click();
  } else {
    c.form.Button18Click();
  }
  return c.shell.Messages() == before;
}

// One diagram as the interactive 測定点指示: the point, the diagram's placement, then the
// tables' placements as the run asks for them.
bool RunSkyPick(BatchContext& c) {
  // The tables the type's boxes ask for are placed in this order; each needs its place, or the
  // run would take the next placement for it or cancel it.
  const bool typeB = c.options.skyType == "B";
  const struct {
    bool ticked;
    const std::optional<TAcadPointXY>& at;
    const char* option;
    const char* key;
    const char* table;
  } tables[] = {
      {(typeB ? c.form.CheckBox6 : c.form.CheckBox3).Checked, c.options.tableAt, "--table-at",
       typeB ? "Tenku.KyusekiB" : "Tenku.Kyuseki", "area table"},
      {(typeB ? c.form.CheckBox7 : c.form.CheckBox5).Checked, c.options.positionTableAt,
       "--position-table-at", typeB ? "Tenku.tateitiB" : "Tenku.tateiti", "position table"},
  };
  for (const auto& t : tables) {
    if (t.ticked && !t.at) {
      c.err << "vorn-batch: sky-pick: the " << t.table << " box is ticked (" << t.key
            << "=1): give " << t.option << " X,Y for its placement, or --set " << t.key << "=0\n";
      return false;
    }
    if (!t.ticked && t.at) {
      c.err << "vorn-batch: note: sky-pick: " << t.option << " is not used: the " << t.table
            << " box is not ticked (" << t.key << "=0)\n";
    }
  }
  if (!PickBuilding(c, "sky-pick")) return false;
  const int before = c.shell.Messages();
  c.user.Point({c.options.point->x, c.options.point->y, 0.0});
  c.user.InsertionPoint({c.options.at->x, c.options.at->y, 0.0});
  for (const auto& t : tables) {
    if (t.ticked) c.user.InsertionPoint({t.at->x, t.at->y, 0.0});
  }
  if (c.options.skyType == "B") {
    c.form.Button11Click();
  } else {
    c.form.Button8Click();
  }
  return c.shell.Messages() == before;
}

// "作成" with the block placed at --at.
bool RunAnnotate(BatchContext& c) {
  const std::size_t pending = c.user.Pending();
  c.user.InsertionPoint({c.options.at->x, c.options.at->y, 0.0});
  const int before = c.shell.Messages();
  c.form.Button15Click();
  if (c.shell.Messages() != before) return false;
  if (c.user.Pending() != pending) {
    c.err << "vorn-batch: annotate: nothing was placed\n";
    return false;
  }
  return true;
}

// The deemed boundary lines of the site named by --site-layer or --site-handle.
bool RunBoundary(BatchContext& c) {
  if (c.options.siteLayers.empty() && c.options.siteHandles.empty()) {
    c.err << "vorn-batch: boundary: name the site with --site-layer or --site-handle\n";
    return false;
  }
  const auto handles = HandlesOf(c, "boundary", c.options.siteLayers, c.options.siteHandles);
  if (!handles) return false;
  if (handles->empty()) {
    c.err << "vorn-batch: boundary: no entities to pick as the site on the given layers\n";
    return false;
  }
  const std::size_t before = c.host.Document().modelSpace.size();
  const std::size_t promptsBefore = c.host.PromptLog().size();
  c.user.SelectHandles(*handles);
  c.form.Button20Click();
  if (c.host.Document().modelSpace.size() > before) return true;
  const bool traceFailed =
      c.host.PromptLog().find(kPromptBoundaryFailed, promptsBefore) != std::string::npos;
  c.err << "vorn-batch: boundary: "
        << (traceFailed ? "the site's outline could not be traced"
                        : "the site holds fewer than three segments")
        << "\n";
  return false;
}

// The handle of the wall line: the one given, or the first LINE on the given layer.
std::optional<std::string> WallHandle(const BatchContext& c) {
  const BatchOptions& o = c.options;
  for (const auto& e : c.host.Document().modelSpace) {
    const bool named = o.wallLayer.empty()
                           ? UpperAscii(e.entity.common.handle) == UpperAscii(o.wallHandle)
                           : e.entity.common.layer == o.wallLayer;
    if (!named) continue;
    if (cad::host::DxfTypeOf(e.entity) == "LINE") return e.entity.common.handle;
    if (o.wallLayer.empty()) {
      c.err << "vorn-batch: wall: the entity " << o.wallHandle << " is not a LINE\n";
      return std::nullopt;
    }
  }
  if (o.wallLayer.empty()) {
    c.err << "vorn-batch: wall: no entity has the handle " << o.wallHandle << "\n";
  } else {
    c.err << "vorn-batch: wall: no LINE on the layer " << o.wallLayer << "\n";
  }
  return std::nullopt;
}

// The wall elevation with the building's shadows; every message it shows reports a failure.
bool RunWall(BatchContext& c) {
  if (c.options.wallHandle.empty() && c.options.wallLayer.empty()) {
    c.err << "vorn-batch: wall: name the wall with --wall-handle or --wall-layer\n";
    return false;
  }
  if (!c.form.CheckBox4.Checked && !c.options.at) {
    c.err << "vorn-batch: wall: the elevation is placed by the user (Hekimen.senjou=0); "
             "give --at X,Y\n";
    return false;
  }
  const std::optional<std::string> wall = WallHandle(c);
  if (!wall || !PickBuilding(c, "wall")) return false;
  c.user.Entity(*wall);
  if (!c.form.CheckBox4.Checked) {
    c.user.InsertionPoint({c.options.at->x, c.options.at->y, 0.0});
  }
  const std::size_t before = c.host.Document().modelSpace.size();
  const int messages = c.shell.Messages();
  c.form.Button5Click();
  if (c.shell.Messages() != messages) return false;
  if (c.host.Document().modelSpace.size() > before) return true;
  c.err << "vorn-batch: wall: nothing was drawn (the wall is parallel to the building's "
           "first edge's perpendicular, or the building is empty)\n";
  return false;
}

// The wireframe preview of the picked building: turned as asked, drawn into the drawing at
// --at, and saved as a picture with --png.
bool RunPreview(BatchContext& c) {
  if (!PickBuilding(c, "preview")) return false;
  TForm1& form = c.form;
  if (c.options.footprint) {
    form.CheckBox1.Checked = *c.options.footprint;
    form.CheckBox1Click();
  }
  if (c.options.view) {
    form.GB_Draw3dHdeg = c.options.view->first;
    form.GB_Draw3dVdeg = c.options.view->second;
    form.GB_cvsc = 0.0;  // fitted anew to the turned picture
    form.DrawWaku3D(false);
  }
  if (c.options.at) {
    const std::size_t before = c.host.Document().modelSpace.size();
    c.user.InsertionPoint({c.options.at->x, c.options.at->y, 0.0});
    form.SpeedButton2Click();
    if (c.host.Document().modelSpace.size() == before) {
      c.err << "vorn-batch: preview: the view could not be drawn into the drawing\n";
      return false;
    }
  }
  if (!c.options.png.empty()) {
    try {
      SavePng(RgbPicture{form.Image2.Width, form.Image2.Height, form.Image2.Pixels},
              Utf8Path(c.options.png));
    } catch (const std::exception& e) {
      c.err << "vorn-batch: preview: cannot save the picture: " << OneLine(e.what()) << "\n";
      return false;
    }
  }
  return true;
}

// The isochrone diagram. The final status texts (the mesh size and the time taken, or the
// time of the last phase when no line came out) go to standard output. A run that never got
// to sampling (a box that is not a number, a time without a sun) failed.
bool RunIsochrones(BatchContext& c) {
  if (!PickBuilding(c, "isochrones")) return false;
  c.form.Button6Click();
  if (c.out != nullptr) *c.out << c.form.Label22.Caption << "\n" << c.form.Label2.Caption << "\n";
  const std::string& status = c.form.Label2.Caption;
  return status.rfind("所要時間", 0) == 0 || status.rfind("経過時間", 0) == 0;
}

using BatchCommand = std::function<bool(BatchContext&)>;

const std::map<std::string, BatchCommand>& Commands() {
  static const std::map<std::string, BatchCommand> kCommands = {
      {"hourly", RunHourly},     {"isochrones", RunIsochrones},
      {"points", RunPoints},     {"annotate", RunAnnotate},
      {"sky", RunSky},           {"sky-draw", RunSkyDraw},
      {"sky-pick", RunSkyPick},  {"wall", RunWall},
      {"boundary", RunBoundary}, {"preview", RunPreview}};
  return kCommands;
}

fs::path WorkFolder(const BatchOptions& o) {
  if (!o.workDir.empty()) return Utf8Path(o.workDir);
  const fs::path output = Utf8Path(o.output);
  return output.parent_path() / (output.stem().u8string() + u8"-work");
}

// Kinds the host does not model are saved as they were read; the commands do not see them.
void ReportUnmodelled(const cad::host::OpenReport& report, std::ostream& err) {
  for (const auto& [kind, count] : report.skippedEntities) {
    err << "vorn-batch: note: " << count << " " << kind << " entit" << (count == 1 ? "y" : "ies")
        << " kept as read; the commands do not see " << (count == 1 ? "it" : "them") << "\n";
  }
}

}  // namespace

std::optional<IniFile> EffectiveSettings(const BatchOptions& o, std::ostream& err) {
  IniFile ini;
  if (!o.settingsFile.empty()) {
    std::error_code ec;
    if (!fs::is_regular_file(Utf8Path(o.settingsFile), ec)) {
      err << "vorn-batch: cannot read the settings file " << o.settingsFile << "\n";
      return std::nullopt;
    }
    ini = IniFile::Load(Utf8Path(o.settingsFile));
  }
  for (const SettingOverride& s : o.overrides) ini.WriteString(s.section, s.key, s.value);
  return ini;
}

int RunBatch(const BatchOptions& o, std::ostream& out, std::ostream& err) {
  PointSource points{{}, o.pointsLayer};
  if (!o.pointsFile.empty()) {
    PointFile file = ReadPointFile(o.pointsFile);
    if (!file.error.empty()) {
      err << "vorn-batch: " << OneLine(file.error) << "\n";
      return kExitBadInput;
    }
    points.points = std::move(file.points);
  }
  const fs::path workDir = WorkFolder(o);
  std::error_code ec;
  fs::create_directories(workDir, ec);
  if (ec || !ProbeFolderWritable(workDir)) {
    err << "vorn-batch: cannot write into the work folder " << PathUtf8(workDir) << "\n";
    return kExitBadInput;
  }
  const std::optional<IniFile> settings = EffectiveSettings(o, err);
  if (!settings) return kExitBadInput;

  cad::host::ScriptedInteraction user;
  cad::host::DxfDrawingFiles files;
  cad::host::DrawingHost host(user, files);
  cad::host::OpenReport report;
  try {
    report = host.Open(Utf8Path(o.drawing));
  } catch (const cad::CadError& e) {
    err << "vorn-batch: cannot read the drawing: " << OneLine(e.what()) << "\n";
    return kExitBadInput;
  }
  if (o.verbose) ReportUnmodelled(report, err);

  BatchShell shell(err, workDir);
  InstantClock clock;
  TForm1 form(shell, DataFolders(workDir, {}, ProbeFolderWritable),
              CadEnvironment{host, host.Windows(), clock});
  form.FormCreate(*settings);
  if (!o.dumpSettings.empty()) {
    const std::string error = WriteSettings(form, IniFile{}).Save(Utf8Path(o.dumpSettings));
    if (!error.empty()) {
      err << "vorn-batch: " << OneLine(error) << "\n";
      return kExitBadInput;
    }
  }

  BatchContext context{o, err, user, host, shell, form, std::move(points), &out};
  bool ok = true;
  for (const std::string& command : o.commands) {
    ok = Commands().at(command)(context);
    if (!ok) {
      err << "vorn-batch: " << command << " failed; no drawing written\n";
      break;
    }
  }
  if (o.verbose) out << host.PromptLog();
  if (!ok) return kExitCommandFailed;

  try {
    const std::string note = host.SaveAs(Utf8Path(o.output));
    if (o.verbose && !note.empty()) err << "vorn-batch: note: not kept as it was: " << note << "\n";
  } catch (const cad::CadError& e) {
    err << "vorn-batch: cannot save the drawing: " << OneLine(e.what()) << "\n";
    return kExitCommandFailed;
  }
  out << "drawing: " << o.output << "\n";
  if (!o.report.empty()) {
    // The grid as its copy command puts it on the clipboard.
    form.N1Click();
    try {
      ReplaceFileContents(Utf8Path(o.report), shell.Clipboard());
    } catch (const DxfSaveError& e) {
      err << "vorn-batch: cannot write the report: " << OneLine(e.what()) << "\n";
      return kExitCommandFailed;
    }
    out << "report: " << o.report << "\n";
  }
  if (!o.svg.empty()) {
    cad::host::SvgOptions svg;
    svg.title = PathUtf8(Utf8Path(o.output).filename());
    try {
      cad::host::SaveSvg(host.Document(), svg, Utf8Path(o.svg));
    } catch (const cad::host::SvgSaveError& e) {
      err << "vorn-batch: cannot save the picture: " << OneLine(e.what()) << "\n";
      return kExitCommandFailed;
    }
    out << "picture: " << o.svg << "\n";
  }
  if (!o.dumpSettings.empty()) out << "settings: " << o.dumpSettings << "\n";
  return kExitSuccess;
}

int BatchMain(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  const ParseResult parsed = ParseBatchArguments(args);
  if (!parsed.options) {
    err << "vorn-batch: " << parsed.error << "\n"
        << "try vorn-batch --help\n";
    return kExitBadInput;
  }
  if (parsed.options->help) {
    out << UsageText();
    return kExitSuccess;
  }
  return RunBatch(*parsed.options, out, err);
}

}  // namespace vorn::cli
