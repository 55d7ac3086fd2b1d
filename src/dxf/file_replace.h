// Replacing a file's whole content so that a failed write never leaves half a file and never
// touches any other file of the user's.
#pragma once

#include <filesystem>
#include <string_view>

namespace vorn {

// Writes `bytes` to a new temporary file beside `path` (a name that did not exist, created
// exclusively) and renames it over `path`. On failure the temporary file is removed, `path`
// is as it was, and DxfSaveError (dxf_document.h) names what failed.
void ReplaceFileContents(const std::filesystem::path& path, std::string_view bytes);

}  // namespace vorn
