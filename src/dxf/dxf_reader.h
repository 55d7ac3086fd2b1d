// Reading ASCII DXF drawings (R12 and R2000 to R2018) into a Drawing, and saving a Drawing
// as R12 ASCII DXF. This is what the built-in drawing host opens, inserts and saves.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "dxf/dxf_drawing.h"
#include "dxf/dxf_read_error.h"

namespace vorn::dxf {

// Parses DXF text (bytes as stored in the file). Text values come back as UTF-8, decoded
// from $DWGCODEPAGE up to AC1018 (ANSI_932 when the header has none) and as UTF-8 from
// AC1021; \U+XXXX escapes are decoded. Throws DxfReadError for a file that is not DXF text.
Drawing ReadDxf(std::string_view bytes);
// Reads and parses a file; DxfReadError names the file when it cannot be read.
Drawing ReadDxfFile(const std::filesystem::path& path);

// What the reader left out, for the user: "3 HATCH, 1 MTEXT not read"; empty when nothing was.
std::string SkippedEntitiesNote(const Drawing& drawing);

// What an R12 file cannot hold as it was and the writer had to change.
struct R12WriteNotes {
  int ellipsesAsPolylines = 0;  // R12 has no ELLIPSE: written as polyline approximations
  int layoutBlocksLeftOut = 0;  // further layouts (*Paper_Space0 …) with entities, not written
  int handlesAssigned = 0;      // entities whose handle was missing or repeated got a new one

  // One line for the user, empty when nothing changed.
  std::string Describe() const;
};

struct R12Output {
  std::string bytes;  // the file text in the drawing's code page
  R12WriteNotes notes;
};

// The drawing as R12 text together with what had to change to fit R12.
R12Output WriteDrawingR12WithNotes(const Drawing& drawing);

// The drawing as R12 (AC1009) ASCII DXF text, encoded for drawing.codePage, CRLF line ends.
// Characters the code page lacks are written as \U+XXXX; a drawing whose code page is UTF-8
// is written in ANSI_932. The tables define every layer, line type and text style the entities
// use. Of the header only the code page, the insertion base, extents, limits and scales are
// kept. Throws DxfSaveError for numbers that are not finite and text that is not UTF-8.
std::string WriteDrawingR12(const Drawing& drawing);
// Saves through a temporary file and a rename, so a failed save leaves the old file intact.
// The temporary file gets a fresh name of its own, so no other file is ever overwritten.
// Throws DxfSaveError (dxf_document.h) on failure.
R12WriteNotes SaveDrawingR12(const Drawing& drawing, const std::filesystem::path& path);

}  // namespace vorn::dxf
