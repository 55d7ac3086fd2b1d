// How the host reads and writes drawing files: through the DXF reader and the saver that keeps
// what it read, or an in-memory stand-in in tests.
#pragma once

#include <filesystem>
#include <string>

#include "dxf/drawing_saver.h"
#include "dxf/dxf_drawing.h"
#include "dxf/dxf_reader.h"

namespace vorn::cad::host {

class DrawingFiles {
 public:
  virtual ~DrawingFiles() = default;
  // Throws (DxfReadError or another std::exception) naming what is wrong.
  virtual dxf::Drawing Read(const std::filesystem::path& path) = 0;
  // Leaves an existing file intact when it fails. Returns what could not be kept as it was,
  // for the user; empty when everything was.
  virtual std::string Save(const dxf::Drawing& drawing, const std::filesystem::path& path) = 0;
};

class DxfDrawingFiles final : public DrawingFiles {
 public:
  dxf::Drawing Read(const std::filesystem::path& path) override { return dxf::ReadDxfFile(path); }
  std::string Save(const dxf::Drawing& drawing, const std::filesystem::path& path) override {
    return dxf::SaveDrawing(drawing, path);
  }
};

}  // namespace vorn::cad::host
