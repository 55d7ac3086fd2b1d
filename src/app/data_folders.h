// Where the program's own files live: the settings file, the city file, the target-CAD list
// and the DXF output. They sit beside the executable while that folder is writable; an
// installed program (read-only folder) keeps them in a per-user folder instead, so settings
// are not lost silently. A per-user file, once it exists, wins for reading and writing.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vorn {

class Shell;

using EnvLookup = std::function<std::optional<std::string>(std::string_view)>;
using FolderProbe = std::function<bool(const std::filesystem::path&)>;

// The per-user folder: on Windows %APPDATA%\vorn2023, elsewhere $XDG_CONFIG_HOME/vorn2023
// (only an absolute XDG_CONFIG_HOME counts), falling back to ~/.config/vorn2023. Empty when
// the environment names no such place.
std::filesystem::path UserDataFolder(const EnvLookup& env, bool windows);

class DataFolders {
 public:
  DataFolders(std::filesystem::path executableFolder, std::filesystem::path userFolder,
              FolderProbe isWritable);

  // From the shell: the executable's folder and the per-user folder of this platform.
  static DataFolders FromShell(const Shell& shell);

  const std::filesystem::path& ExecutableFolder() const { return exeFolder_; }
  const std::filesystem::path& UserFolder() const { return userFolder_; }

  // The file to read: the per-user one when it exists, otherwise the one beside the
  // executable (which may not exist either).
  std::filesystem::path ReadPath(std::string_view fileName) const;
  // The file to write: the per-user one when it exists; else beside the executable when that
  // folder is writable; else the per-user one, creating its folder.
  std::filesystem::path WritePath(std::string_view fileName) const;
  // The folder new output files (the DXF diagrams) are written into.
  std::filesystem::path OutputFolder() const;

 private:
  bool UseUserFolder() const;

  std::filesystem::path exeFolder_;
  std::filesystem::path userFolder_;
  FolderProbe isWritable_;
};

}  // namespace vorn
