// A drawing host with a new drawing, a scripted user, a fake clock and recorded messages,
// plus a temporary folder for the files a test writes.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "cad/cad_operations.h"
#include "cad/host/drawing_host.h"
#include "cad/host/scripted_interaction.h"
#include "cad_fakes.h"
#include "dxf/dxf_document.h"
#include "test_files.h"

namespace vorn::cad::testing {

using vorn::testing::ReadFile;
using vorn::testing::TempFolder;
using vorn::testing::WriteFile;

// The real DXF files, except for drawings a test places in memory under a path, and a save
// that can be made to fail.
class TestFiles final : public host::DrawingFiles {
 public:
  dxf::Drawing Read(const std::filesystem::path& path) override {
    auto it = inMemory.find(path.string());
    return it != inMemory.end() ? it->second : real.Read(path);
  }
  std::string Save(const dxf::Drawing& drawing, const std::filesystem::path& path) override {
    if (failSave) throw DxfSaveError("disk full while saving " + path.string());
    return real.Save(drawing, path);
  }
  std::map<std::string, dxf::Drawing> inMemory;
  bool failSave = false;

 private:
  host::DxfDrawingFiles real;
};

class HostTest : public ::testing::Test {
 protected:
  HostTest() {
    host.NewDrawing();
    app = host.Application();
    doc = app->ActiveDocument();
  }
  CadLink Link(const std::string& progId = "PCAD_AC_X.AcadApplication") {
    return CadLink{progId, host.Windows(), clock, messages};
  }
  // Handles of the model-space entities in drawing order.
  std::vector<std::string> Handles() {
    std::vector<std::string> out;
    auto model = doc->ModelSpace();
    for (int i = 0; i < model->Count(); ++i) out.push_back(model->Item(i)->Handle());
    return out;
  }

  host::ScriptedInteraction user;
  TestFiles files;
  host::DrawingHost host{user, files};
  CadApplicationPtr app;
  CadDocumentPtr doc;
  FakeClock clock;
  RecordingMessages messages;
  TempFolder temp;
};

}  // namespace vorn::cad::testing
