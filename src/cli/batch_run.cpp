#include "cli/batch_run.h"

#include <filesystem>
#include <functional>
#include <map>
#include <ostream>
#include <set>
#include <string>

#include "app/data_folders.h"
#include "app/ini_file.h"
#include "app/main_form.h"
#include "app/settings_file.h"
#include "app/shell.h"
#include "cad/cad_operations.h"
#include "cad/host/drawing_host.h"
#include "cad/host/drawing_svg.h"
#include "cad/host/scripted_interaction.h"
#include "dxf/ascii_case.h"

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
  void SetClipboardText(std::string_view) override {}
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

 private:
  std::ostream& err_;
  fs::path workDir_;
  int messages_ = 0;
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
};

// The handles the building pick answers with: the named layers' or handles' entities, or
// every model-space entity. A handle that names no entity is reported by name.
std::optional<std::vector<std::string>> BuildingHandles(const BatchContext& c,
                                                        const std::string& command) {
  const std::set<std::string> layers(c.options.buildingLayers.begin(),
                                     c.options.buildingLayers.end());
  std::set<std::string> present;
  std::vector<std::string> handles;
  for (const auto& e : c.host.Document().modelSpace) {
    present.insert(UpperAscii(e.entity.common.handle));
    if (layers.empty() || layers.count(e.entity.common.layer) > 0) {
      handles.push_back(e.entity.common.handle);
    }
  }
  if (c.options.buildingHandles.empty()) return handles;
  for (const std::string& handle : c.options.buildingHandles) {
    if (present.count(UpperAscii(handle)) == 0) {
      c.err << "vorn-batch: " << command << ": no entity has the handle " << handle << "\n";
      return std::nullopt;
    }
  }
  return c.options.buildingHandles;
}

bool PickBuilding(BatchContext& c, const std::string& command) {
  const std::optional<std::vector<std::string>> handles = BuildingHandles(c, command);
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

using BatchCommand = std::function<bool(BatchContext&)>;

const std::map<std::string, BatchCommand>& Commands() {
  static const std::map<std::string, BatchCommand> kCommands = {{"hourly", RunHourly}};
  return kCommands;
}

fs::path WorkFolder(const BatchOptions& o) {
  if (!o.workDir.empty()) return o.workDir;
  const fs::path output(o.output);
  return output.parent_path() / (output.stem().string() + "-work");
}

void ReportSkipped(const cad::host::OpenReport& report, std::ostream& err) {
  for (const auto& [kind, count] : report.skippedEntities) {
    err << "vorn-batch: note: " << count << " " << kind << " entit" << (count == 1 ? "y" : "ies")
        << " cannot be carried over and " << (count == 1 ? "is" : "are")
        << " left out of the result\n";
  }
}

}  // namespace

std::optional<IniFile> EffectiveSettings(const BatchOptions& o, std::ostream& err) {
  IniFile ini;
  if (!o.settingsFile.empty()) {
    std::error_code ec;
    if (!fs::is_regular_file(o.settingsFile, ec)) {
      err << "vorn-batch: cannot read the settings file " << o.settingsFile << "\n";
      return std::nullopt;
    }
    ini = IniFile::Load(o.settingsFile);
  }
  for (const SettingOverride& s : o.overrides) ini.WriteString(s.section, s.key, s.value);
  return ini;
}

int RunBatch(const BatchOptions& o, std::ostream& out, std::ostream& err) {
  const fs::path workDir = WorkFolder(o);
  std::error_code ec;
  fs::create_directories(workDir, ec);
  if (ec || !ProbeFolderWritable(workDir)) {
    err << "vorn-batch: cannot write into the work folder " << workDir.string() << "\n";
    return kExitBadInput;
  }
  const std::optional<IniFile> settings = EffectiveSettings(o, err);
  if (!settings) return kExitBadInput;

  cad::host::ScriptedInteraction user;
  cad::host::DxfDrawingFiles files;
  cad::host::DrawingHost host(user, files);
  cad::host::OpenReport report;
  try {
    report = host.Open(o.drawing);
  } catch (const cad::CadError& e) {
    err << "vorn-batch: cannot read the drawing: " << OneLine(e.what()) << "\n";
    return kExitBadInput;
  }
  ReportSkipped(report, err);

  BatchShell shell(err, workDir);
  InstantClock clock;
  TForm1 form(shell, DataFolders(workDir, {}, ProbeFolderWritable),
              CadEnvironment{host, host.Windows(), clock});
  form.FormCreate(*settings);
  if (!o.dumpSettings.empty()) {
    const std::string error = WriteSettings(form, IniFile{}).Save(o.dumpSettings);
    if (!error.empty()) {
      err << "vorn-batch: " << OneLine(error) << "\n";
      return kExitBadInput;
    }
  }

  BatchContext context{o, err, user, host, shell, form};
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
    host.SaveAs(o.output);
  } catch (const cad::CadError& e) {
    err << "vorn-batch: cannot save the drawing: " << OneLine(e.what()) << "\n";
    return kExitCommandFailed;
  }
  out << "drawing: " << o.output << "\n";
  if (!o.svg.empty()) {
    cad::host::SvgOptions svg;
    svg.title = fs::path(o.output).filename().string();
    try {
      cad::host::SaveSvg(host.Document(), svg, o.svg);
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
