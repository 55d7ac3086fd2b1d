#include "app/shell.h"

#include <algorithm>
#include <fstream>
#include <system_error>

namespace vorn {

bool ProbeFolderWritable(const std::filesystem::path& folder) {
  std::error_code ec;
  if (!std::filesystem::is_directory(folder, ec)) return false;
  const std::filesystem::path probe = folder / ".vorn-write-probe";
  {
    std::ofstream out(probe, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out << "x";
    if (!out.flush()) return false;
  }
  std::filesystem::remove(probe, ec);
  return true;
}

void RecordingShell::ShowMessage(std::string_view caption, std::string_view text) {
  messages.push_back({std::string(caption), std::string(text)});
  calls.emplace_back("ShowMessage");
}

void RecordingShell::MinimizeMainWindow() {
  mainWindowNormal = false;
  calls.emplace_back("Minimize");
}

void RecordingShell::RestoreMainWindow() {
  mainWindowNormal = true;
  calls.emplace_back("Restore");
}

void RecordingShell::ProcessMessages() {
  calls.emplace_back("ProcessMessages");
  if (onProcessMessages) onProcessMessages();
}

void RecordingShell::SetClipboardText(std::string_view text) {
  clipboard = std::string(text);
  calls.emplace_back("SetClipboardText");
}

void RecordingShell::Sleep(int milliseconds) {
  calls.push_back("Sleep " + std::to_string(milliseconds));
}

std::optional<std::string> RecordingShell::Environment(std::string_view name) const {
  for (const auto& [key, value] : environment) {
    if (key == name) return value;
  }
  return std::nullopt;
}

bool RecordingShell::IsFolderWritable(const std::filesystem::path& folder) const {
  const auto normal = folder.lexically_normal();
  for (const auto& ro : readOnlyFolders) {
    if (ro.lexically_normal() == normal) return false;
  }
  return ProbeFolderWritable(folder);
}

void RecordingShell::PlaceTopMost() { calls.emplace_back("PlaceTopMost"); }

void RecordingShell::ShowTargetCadDialog(TTargetCADForm& dialog) {
  calls.emplace_back("ShowTargetCadDialog");
  if (onTargetCadDialog) onTargetCadDialog(dialog);
}

int RecordingShell::CountCalls(std::string_view name) const {
  return static_cast<int>(std::count(calls.begin(), calls.end(), name));
}

}  // namespace vorn
