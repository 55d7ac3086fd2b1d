// Pictures saved as PNG files (8-bit RGB, uncompressed deflate blocks): small pictures such as
// the wireframe preview, readable by any viewer.
#pragma once

#include <filesystem>
#include <string>

#include "acquisition/wireframe_preview.h"

namespace vorn {

// The PNG file's bytes.
std::string EncodePng(const RgbPicture& picture);

// Writes the file through a temporary file and a rename; throws DxfSaveError (dxf_document.h)
// naming what failed.
void SavePng(const RgbPicture& picture, const std::filesystem::path& path);

}  // namespace vorn
