#include "app/data_folders.h"

#include <system_error>

#include "app/shell.h"

namespace vorn {

namespace {

constexpr std::string_view kUserFolderName = "vorn2023";

bool FileExists(const std::filesystem::path& p) {
  std::error_code ec;
  return std::filesystem::is_regular_file(p, ec);
}

std::optional<std::string> NonEmpty(const EnvLookup& env, std::string_view name) {
  auto value = env(name);
  if (value && value->empty()) return std::nullopt;
  return value;
}

}  // namespace

std::filesystem::path UserDataFolder(const EnvLookup& env, bool windows) {
  if (windows) {
    const auto appData = NonEmpty(env, "APPDATA");
    if (!appData) return {};
    return std::filesystem::path(*appData) / kUserFolderName;
  }
  // A relative XDG_CONFIG_HOME is invalid and must be ignored. Absolute by the POSIX rule (a
  // leading slash), whichever system the program was built for.
  if (const auto xdg = NonEmpty(env, "XDG_CONFIG_HOME"); xdg && xdg->front() == '/') {
    return std::filesystem::path(*xdg) / kUserFolderName;
  }
  const auto home = NonEmpty(env, "HOME");
  if (!home) return {};
  return std::filesystem::path(*home) / ".config" / kUserFolderName;
}

DataFolders::DataFolders(std::filesystem::path executableFolder, std::filesystem::path userFolder,
                         FolderProbe isWritable)
    : exeFolder_(std::move(executableFolder)),
      userFolder_(std::move(userFolder)),
      isWritable_(std::move(isWritable)) {}

DataFolders DataFolders::FromShell(const Shell& shell) {
#ifdef _WIN32
  constexpr bool kWindows = true;
#else
  constexpr bool kWindows = false;
#endif
  const EnvLookup env = [&shell](std::string_view name) { return shell.Environment(name); };
  const FolderProbe probe = [&shell](const std::filesystem::path& folder) {
    return shell.IsFolderWritable(folder);
  };
  return DataFolders(shell.ExecutablePath().parent_path(), UserDataFolder(env, kWindows), probe);
}

std::filesystem::path DataFolders::ReadPath(std::string_view fileName) const {
  if (!userFolder_.empty()) {
    auto user = userFolder_ / fileName;
    if (FileExists(user)) return user;
  }
  return exeFolder_ / fileName;
}

bool DataFolders::UseUserFolder() const {
  if (userFolder_.empty()) return false;
  return !isWritable_ || !isWritable_(exeFolder_);
}

std::filesystem::path DataFolders::WritePath(std::string_view fileName) const {
  if (!userFolder_.empty() && FileExists(userFolder_ / fileName)) return userFolder_ / fileName;
  return OutputFolder() / fileName;
}

std::filesystem::path DataFolders::OutputFolder() const {
  if (!UseUserFolder()) return exeFolder_;
  std::error_code ec;
  std::filesystem::create_directories(userFolder_, ec);
  return userFolder_;
}

}  // namespace vorn
