// Saving a diagram's DXF text beside the program and typing the -INSERT command that brings it
// into the drawing, with the tidy-up the "PCAD" kind of CAD needs afterwards.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "cad/cad_interface.h"
#include "cad/cad_operations.h"
#include "dxf/dxf_document.h"

namespace vorn::cad {

// The shapes of the insertion command. x, y and rotation are texts: the using command decides
// their number format (FormatGeneral unless it says otherwise).
enum class InsertionForm {
  kExplodedAtOrigin,       // word "\r\"*" file "\"\r0,0 1 0\r"
  kExplodedAtOriginSplit,  // "-InSERT\r\"*" file "\"\r0,0\r1 0\r"
  kExplodedAtPoint,        // "-InSERT\r\"*" file "\"\r" x "," y "\r1 0\r"
  kExplodedAtPointBlank,   // "-INSERt\r\"*" file "\"\r" x "," y "\r1 0 "
  kExplodedRotated,        // "-INSERT\r\"*" file "\"\r" x "," y "\r1.0\r" rotation "\r"
  kBlockByUser,            // "-INSERT\r\"" file "\"\rS\r1.0\rR\r" rotation "\r"
  kBlockRotated,           // "-INSERT\r\"" file "\"\r" x "," y "\r1.0\r" rotation "\r"
};

struct InsertionRequest {
  InsertionForm form = InsertionForm::kExplodedAtOrigin;
  std::string x = "0";
  std::string y = "0";
  std::string rotation = "0";
  std::string commandWord;  // empty: the form's own spelling; "-INsERT" for isochrones
};

// A request spelled out in one call (brace initialisation would leave fields unnamed).
InsertionRequest Insertion(InsertionForm form, std::string x = "0", std::string y = "0",
                           std::string rotation = "0", std::string commandWord = "");

bool IsExplodedInsertion(InsertionForm form);
std::string InsertionCommandText(const InsertionRequest& request, const std::string& file);

struct SavedDiagram {
  std::string blockName;
  std::filesystem::path file;
};

// Names the file after NextBlockName(document, "VORN_"), saves `dxf` into `folder` in the
// CAD's code page, waits 100 ms and checks the file is there. A save that fails is reported
// through link.messages; both a failed save and a missing file give nullopt.
std::optional<SavedDiagram> SaveDiagramFile(CadDocument& document, const DxfDocument& dxf,
                                            const std::filesystem::path& folder,
                                            const CadLink& link);

// Types the insertion command; after an exploded insertion into a "PCAD" target (ProgID
// compared with letter case) waits 100 ms for idle and deletes the block definition the
// insertion left.
void InsertSavedDiagram(CadApplication& application, CadDocument& document,
                        const SavedDiagram& saved, const InsertionRequest& request,
                        const CadLink& link);

// Both steps; the saved file (if any) for callers that go on with it.
std::optional<SavedDiagram> SaveAndInsertDiagram(CadApplication& application, CadDocument& document,
                                                 const DxfDocument& dxf,
                                                 const std::filesystem::path& folder,
                                                 const InsertionRequest& request,
                                                 const CadLink& link);

}  // namespace vorn::cad
