#include "cad/host/host_document.h"

#include <charconv>
#include <set>

#include "dxf/ascii_case.h"

namespace vorn::cad::host {
namespace {

std::string HexHandle(uint64_t value) {
  char buffer[32];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, 16);
  (void)ec;  // 32 characters always hold a 64-bit value
  return UpperAscii(std::string_view(buffer, static_cast<size_t>(end - buffer)));
}

uint64_t HandleValue(const std::string& handle) {
  if (handle.empty() || handle.size() > 16) return 0;
  uint64_t value = 0;
  for (char c : handle) {
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else if (c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else {
      return 0;
    }
    value = value * 16 + static_cast<uint64_t>(digit);
  }
  return value;
}

void EnsureDefaults(HostDocument& document) {
  if (!FindLayer(document, "0")) document.layers.insert(document.layers.begin(), dxf::Layer{"0"});
  if (!FindLineType(document, "CONTINUOUS")) {
    document.lineTypes.insert(document.lineTypes.begin(),
                              dxf::LineType{"CONTINUOUS", "Solid line", 0.0, {}});
  }
}

// Keeps the file's handles where they are usable, so that a saved drawing still matches.
class HandleAssigner {
 public:
  void Reserve(const std::string& handle) {
    const uint64_t value = HandleValue(handle);
    if (value > highest_) highest_ = value;
  }
  std::string Take(const std::string& handle) {
    if (HandleValue(handle) != 0 && used_.insert(HandleValue(handle)).second) return handle;
    std::string fresh;
    do {
      fresh = HexHandle(++highest_);
    } while (!used_.insert(highest_).second);
    return fresh;
  }
  uint64_t Next() const { return highest_ + 1; }

 private:
  std::set<uint64_t> used_;
  uint64_t highest_ = 0xFF;
};

void ReserveAll(HandleAssigner& handles, const std::vector<dxf::Entity>& entities) {
  for (const auto& e : entities) handles.Reserve(e.common.handle);
}

std::vector<HostEntity> Adopt(HostDocument& document, HandleAssigner& handles,
                              const std::vector<dxf::Entity>& entities) {
  std::vector<HostEntity> out;
  out.reserve(entities.size());
  for (const auto& e : entities) {
    HostEntity host{document.nextId++, e};
    host.entity.common.handle = handles.Take(e.common.handle);
    out.push_back(std::move(host));
  }
  return out;
}

}  // namespace

HostDocument NewHostDocument() {
  HostDocument document;
  EnsureDefaults(document);
  document.variables = {
      {"BLIPMODE", CadValue{int32_t{0}}},
      {"SNAPMODE", CadValue{int32_t{0}}},
      {"FILEDIA", CadValue{int32_t{1}}},
      {"LASTPOINT", CadValue{TAcadPoint{}}},
      {"DIMSCALE", CadValue{1.0}},
      {"CLAYER", CadValue{std::string("0")}},
      {"CELTYPE", CadValue{std::string("BYLAYER")}},
  };
  return document;
}

HostDocument HostDocumentFromDrawing(const dxf::Drawing& drawing) {
  HostDocument document = NewHostDocument();
  document.source = drawing.source.file;
  document.codePage = drawing.codePage;
  document.headerTexts = drawing.headerTexts;
  document.layers = drawing.layers;
  document.lineTypes = drawing.lineTypes;
  EnsureDefaults(document);
  HandleAssigner handles;
  // New handles go above every handle of the file, those of tables and objects included.
  if (document.source && document.source->handleSeed > 1) {
    handles.Reserve(HexHandle(document.source->handleSeed - 1));
  }
  ReserveAll(handles, drawing.entities);
  for (const auto& block : drawing.blocks) ReserveAll(handles, block.entities);
  for (const auto& block : drawing.blocks) {
    document.blocks.push_back(HostBlock{block.name, block.base, block.flags,
                                        Adopt(document, handles, block.entities), block.source});
  }
  std::vector<dxf::Entity> model;
  for (const auto& e : drawing.entities) {
    if (e.common.paperSpace) {
      document.paperSpace.push_back(e);
    } else {
      model.push_back(e);
    }
  }
  document.modelSpace = Adopt(document, handles, model);
  document.nextHandle = handles.Next();
  return document;
}

dxf::Drawing DrawingFromHostDocument(const HostDocument& document) {
  dxf::Drawing drawing;
  drawing.source.file = document.source;
  if (document.source) drawing.version = document.source->version;
  drawing.codePage = document.codePage.empty() ? "ANSI_932" : document.codePage;
  drawing.headerTexts = document.headerTexts;
  drawing.layers = document.layers;
  drawing.lineTypes = document.lineTypes;
  for (const auto& block : document.blocks) {
    dxf::Block out{block.name, block.base, block.flags, "0", {}, block.source};
    for (const auto& e : block.entities) out.entities.push_back(e.entity);
    drawing.blocks.push_back(std::move(out));
  }
  for (const auto& e : document.modelSpace) drawing.entities.push_back(e.entity);
  drawing.entities.insert(drawing.entities.end(), document.paperSpace.begin(),
                          document.paperSpace.end());
  return drawing;
}

HostEntity MakeHostEntity(HostDocument& document, dxf::Entity entity) {
  entity.common.handle = HexHandle(document.nextHandle++);
  entity.source = {};
  return HostEntity{document.nextId++, std::move(entity)};
}

std::string ClassNameOf(const dxf::Entity& entity) {
  struct Visitor {
    std::string operator()(const dxf::Line&) const { return kAcDbLine; }
    std::string operator()(const dxf::Circle&) const { return kAcDbCircle; }
    std::string operator()(const dxf::Arc&) const { return kAcDbArc; }
    std::string operator()(const dxf::Ellipse&) const { return kAcDbEllipse; }
    std::string operator()(const dxf::LwPolyline&) const { return kAcDbPolyline; }
    std::string operator()(const dxf::Polyline& p) const {
      return (p.flags & 8) ? kAcDb3dPolyline : kAcDb2dPolyline;
    }
    std::string operator()(const dxf::Text&) const { return kAcDbText; }
    std::string operator()(const dxf::Insert&) const { return kAcDbBlockReference; }
    std::string operator()(const dxf::Point&) const { return kAcDbPoint; }
  };
  return std::visit(Visitor{}, entity.data);
}

std::string DxfTypeOf(const dxf::Entity& entity) {
  static_assert(std::variant_size_v<dxf::EntityData> == 9, "one name per entity kind");
  static constexpr const char* kNames[] = {"LINE",     "CIRCLE", "ARC",    "ELLIPSE", "LWPOLYLINE",
                                           "POLYLINE", "TEXT",   "INSERT", "POINT"};
  return kNames[entity.data.index()];
}

HostBlock* FindBlock(HostDocument& document, std::string_view name) {
  const std::string wanted = UpperAscii(name);
  for (auto& block : document.blocks) {
    if (UpperAscii(block.name) == wanted) return &block;
  }
  return nullptr;
}

const HostBlock* FindBlock(const HostDocument& document, std::string_view name) {
  return FindBlock(const_cast<HostDocument&>(document), name);
}

const dxf::Layer* FindLayer(const HostDocument& document, std::string_view name) {
  const std::string wanted = UpperAscii(name);
  for (const auto& layer : document.layers) {
    if (UpperAscii(layer.name) == wanted) return &layer;
  }
  return nullptr;
}

const dxf::LineType* FindLineType(const HostDocument& document, std::string_view name) {
  const std::string wanted = UpperAscii(name);
  for (const auto& type : document.lineTypes) {
    if (UpperAscii(type.name) == wanted) return &type;
  }
  return nullptr;
}

}  // namespace vorn::cad::host
