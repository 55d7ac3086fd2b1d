// How the host reads and writes drawing files: through the DXF reader and R12 saver, or an
// in-memory stand-in in tests.
#pragma once

#include <filesystem>

#include "dxf/dxf_drawing.h"
#include "dxf/dxf_reader.h"

namespace vorn::cad::host {

class DrawingFiles {
 public:
  virtual ~DrawingFiles() = default;
  // Throws (DxfReadError or another std::exception) naming what is wrong.
  virtual dxf::Drawing Read(const std::filesystem::path& path) = 0;
  // Leaves an existing file intact when it fails.
  virtual void Save(const dxf::Drawing& drawing, const std::filesystem::path& path) = 0;
};

class DxfDrawingFiles final : public DrawingFiles {
 public:
  dxf::Drawing Read(const std::filesystem::path& path) override { return dxf::ReadDxfFile(path); }
  void Save(const dxf::Drawing& drawing, const std::filesystem::path& path) override {
    dxf::SaveDrawingR12(drawing, path);
  }
};

}  // namespace vorn::cad::host
