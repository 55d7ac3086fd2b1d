// The drawing the built-in host holds: layers, line types, blocks and model-space entities,
// each entity with its handle and 64-bit object ID. Entities are kept in the order they were
// made, which is also ascending ID order, so lookups by ID are binary searches.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "cad/cad_interface.h"
#include "dxf/drawing_source.h"
#include "dxf/dxf_drawing.h"

namespace vorn::cad::host {

struct HostEntity {
  int64_t id = 0;
  dxf::Entity entity;
};

struct HostBlock {
  std::string name;
  TAcadPoint base;
  int flags = 0;
  std::vector<HostEntity> entities;
  dxf::SourceLink source{};  // the BLOCK record it was read from
};

struct HostDocument {
  // The file the drawing was opened from, which saving writes back keeping what the session
  // did not change; unset for a new drawing.
  std::shared_ptr<const dxf::DrawingSource> source;
  std::string codePage = "ANSI_932";
  std::map<std::string, std::string> headerTexts;
  std::vector<dxf::Layer> layers;
  std::vector<dxf::LineType> lineTypes;
  std::vector<HostBlock> blocks;
  std::vector<HostEntity> modelSpace;
  std::vector<dxf::Entity> paperSpace;        // kept as read, for saving
  std::map<std::string, CadValue> variables;  // upper-case names
  int64_t nextId = 1;
  uint64_t nextHandle = 0x100;
};

// An empty drawing: layer "0", line type CONTINUOUS and the default system variables.
HostDocument NewHostDocument();

// A drawing read from DXF: every entity gets an object ID; missing or repeated handles get
// fresh ones. Layer "0" and CONTINUOUS are added when the file lacks them.
HostDocument HostDocumentFromDrawing(const dxf::Drawing& drawing);
// The drawing to save, with $DWGCODEPAGE from the document.
dxf::Drawing DrawingFromHostDocument(const HostDocument& document);

// Gives `entity` a new ID and a new handle; it no longer stands for a record of any file.
HostEntity MakeHostEntity(HostDocument& document, dxf::Entity entity);

// The entity's class as `EntityName` reports it, and as group code 0 names it.
std::string ClassNameOf(const dxf::Entity& entity);
std::string DxfTypeOf(const dxf::Entity& entity);

HostBlock* FindBlock(HostDocument& document, std::string_view name);  // any letter case
const HostBlock* FindBlock(const HostDocument& document, std::string_view name);
const dxf::Layer* FindLayer(const HostDocument& document, std::string_view name);
const dxf::LineType* FindLineType(const HostDocument& document, std::string_view name);

}  // namespace vorn::cad::host
