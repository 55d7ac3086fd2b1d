// Whole-file writes that never leave half a file behind.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace vorn {

// Writes to a temporary file beside the target and renames it over the target. Returns an
// error text naming the file, empty on success.
std::string WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes);

}  // namespace vorn
