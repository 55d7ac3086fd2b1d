// Saving a drawing. One that was read from a file is written back in that file's version and
// code page with everything the session did not change exactly as it was read; only what the
// session added or changed is written anew, in the drawing's version. A drawing made from
// scratch is written as R12.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "dxf/dxf_drawing.h"

namespace vorn::dxf {

struct DrawingOutput {
  std::string bytes;               // the file text in the drawing's encoding, CRLF line ends
  std::vector<std::string> notes;  // what could not be kept as it was, for the user

  // The notes as one line, empty when everything was kept.
  std::string Describe() const;
};

// Throws DxfSaveError for numbers that are not finite and text that is not UTF-8.
DrawingOutput WriteDrawing(const Drawing& drawing);

// Saves through a temporary file and a rename, so a failed save leaves the old file intact.
// Returns the notes as one line; throws DxfSaveError on failure.
std::string SaveDrawing(const Drawing& drawing, const std::filesystem::path& path);

}  // namespace vorn::dxf
