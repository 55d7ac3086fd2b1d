// How the host reads and writes drawing files: through the DXF reader and R12 saver, or an
// in-memory stand-in in tests.
#pragma once

#include <filesystem>
#include <string>

#include "dxf/dxf_drawing.h"
#include "dxf/dxf_reader.h"

namespace vorn::cad::host {

class DrawingFiles {
 public:
  virtual ~DrawingFiles() = default;
  // Throws (DxfReadError or another std::exception) naming what is wrong.
  virtual dxf::Drawing Read(const std::filesystem::path& path) = 0;
  // Leaves an existing file intact when it fails. Returns what had to change to fit the
  // format, for the user; empty when nothing did.
  virtual std::string Save(const dxf::Drawing& drawing, const std::filesystem::path& path) = 0;
};

class DxfDrawingFiles final : public DrawingFiles {
 public:
  dxf::Drawing Read(const std::filesystem::path& path) override { return dxf::ReadDxfFile(path); }
  std::string Save(const dxf::Drawing& drawing, const std::filesystem::path& path) override {
    return dxf::SaveDrawingR12(drawing, path).Describe();
  }
};

}  // namespace vorn::cad::host
