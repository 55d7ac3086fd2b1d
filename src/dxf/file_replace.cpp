#include "dxf/file_replace.h"

#include <cerrno>
#include <cstdio>
#include <random>
#include <string>
#include <system_error>

#include "dxf/dxf_document.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#endif

namespace vorn {

namespace {

// Opens a file for writing only when it does not exist yet; null (errno set) otherwise.
// Windows' C library has no exclusive fopen mode, but its open() has the same flag.
std::FILE* OpenNewFile(const std::filesystem::path& path) {
#ifdef _WIN32
  const int descriptor =
      _wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
  if (descriptor < 0) return nullptr;
  std::FILE* file = _fdopen(descriptor, "wb");
  if (!file) _close(descriptor);
  return file;
#else
  return std::fopen(path.c_str(), "wbx");
#endif
}

// A new file beside `path` that did not exist before, opened for writing; the random part
// makes sure no file of the user's is ever taken over.
std::filesystem::path CreateTemporaryBeside(const std::filesystem::path& path, std::FILE*& file) {
  std::random_device seed;
  std::mt19937_64 generator(seed());
  for (int attempt = 0; attempt < 100; ++attempt) {
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".vorn-%010llx.tmp",
                  static_cast<unsigned long long>(generator() & 0xFFFFFFFFFFULL));
    std::filesystem::path temporary = path;
    temporary += suffix;
    file = OpenNewFile(temporary);
    if (file) return temporary;
    if (errno != EEXIST) break;
  }
  throw DxfSaveError("cannot create a temporary file beside " + path.string());
}

void RemoveQuietly(const std::filesystem::path& path) {
  std::error_code ignored;
  std::filesystem::remove(path, ignored);
}

}  // namespace

void ReplaceFileContents(const std::filesystem::path& path, std::string_view bytes) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    throw DxfSaveError("cannot save over the folder " + path.string());
  }
  std::FILE* file = nullptr;
  const std::filesystem::path temporary = CreateTemporaryBeside(path, file);
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  const bool closed = std::fclose(file) == 0;
  if (!written || !closed) {
    RemoveQuietly(temporary);
    throw DxfSaveError("cannot write " + temporary.string());
  }
  std::filesystem::rename(temporary, path, ec);
  if (ec) {
    RemoveQuietly(temporary);
    throw DxfSaveError("cannot replace " + path.string() + ": " + ec.message());
  }
}

}  // namespace vorn
