// The program's small text files: reading them as lines, and whole-file writes that never
// leave half a file behind.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorn {

// Writes to a new, randomly named temporary file beside the target and renames it over the
// target, as the drawings are saved; no other file of the user's is touched. Returns an
// error text naming the file, empty on success.
std::string WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes);

// Paths from the program's UTF-8 texts and back. A plain std::string made into a path is read
// in the system's narrow code page, which on Windows is not UTF-8: a Japanese file name given
// to vorn-batch would name another file.
std::filesystem::path Utf8Path(std::string_view text);
std::string PathUtf8(const std::filesystem::path& path);

// The file's lines as UTF-8 (UTF-8 or the CAD's code page, byte order mark and CR removed);
// nothing when it cannot be opened.
std::optional<std::vector<std::string>> ReadTextFileLines(const std::filesystem::path& path);

}  // namespace vorn
