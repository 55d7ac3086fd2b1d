#include "dxf/file_replace.h"

#include <cerrno>
#include <cstdio>
#include <random>
#include <string>
#include <system_error>

#include "dxf/dxf_document.h"

namespace vorn {

namespace {

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
    file = std::fopen(temporary.c_str(), "wbx");
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
