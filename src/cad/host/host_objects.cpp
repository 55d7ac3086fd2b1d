// The object-model wrappers over the host's state. A wrapper holds the state weakly and the
// serial of its drawing, so a reference kept past Close or a new drawing fails with CadError
// instead of touching freed or foreign data.
#include <algorithm>
#include <cmath>

#include "cad/host/host_state.h"
#include "dxf/ascii_case.h"

namespace vorn::cad::host {
namespace {

constexpr double kRadPerDeg = 0.017453292519943295;
constexpr int kMaxUndoGroups = 64;
constexpr int kSelectWindow = 0;
constexpr int kSelectAll = 5;

class Anchor {
 public:
  explicit Anchor(const std::shared_ptr<HostState>& state)
      : state_(state), serial_(state->drawingSerial) {}
  HostState& State() const {
    auto state = state_.lock();
    if (!state || !state->open || state->drawingSerial != serial_) {
      throw CadError("the drawing this object belongs to is no longer open");
    }
    return *state;
  }
  std::shared_ptr<HostState> Shared() const {
    State();
    return state_.lock();
  }

 private:
  std::weak_ptr<HostState> state_;
  int64_t serial_;
};

// --- entities -------------------------------------------------------------------------------

class HostEntityObject final : public CadEntity {
 public:
  HostEntityObject(const std::shared_ptr<HostState>& state, int64_t id) : anchor_(state), id_(id) {}

  std::string EntityName() override { return ClassNameOf(Get().entity); }
  int64_t ObjectID() override { return Get().id; }
  std::string Handle() override { return Get().entity.common.handle; }
  std::string Layer() override { return Get().entity.common.layer; }
  std::string Name() override { return As<dxf::Insert>("Name").blockName; }
  bool Closed() override {
    const auto& e = Get().entity;
    if (const auto* lw = std::get_if<dxf::LwPolyline>(&e.data)) return lw->closed;
    if (const auto* pl = std::get_if<dxf::Polyline>(&e.data)) return (pl->flags & 1) != 0;
    throw Missing("Closed");
  }
  TAcadPoint InsertionPoint() override {
    const auto& e = Get().entity;
    if (const auto* t = std::get_if<dxf::Text>(&e.data))
      return OcsToWorld(t->position, e.common.extrusion);
    if (const auto* i = std::get_if<dxf::Insert>(&e.data))
      return OcsToWorld(i->position, e.common.extrusion);
    throw Missing("InsertionPoint");
  }
  TAcadPoint StartPoint() override { return EndOf("StartPoint", true); }
  TAcadPoint EndPoint() override { return EndOf("EndPoint", false); }
  TAcadPoint center() override {
    const auto& e = Get().entity;
    if (const auto* c = std::get_if<dxf::Circle>(&e.data))
      return OcsToWorld(c->centre, e.common.extrusion);
    if (const auto* a = std::get_if<dxf::Arc>(&e.data))
      return OcsToWorld(a->centre, e.common.extrusion);
    if (const auto* el = std::get_if<dxf::Ellipse>(&e.data)) return el->centre;
    throw Missing("center");
  }
  double Radius() override {
    const auto& e = Get().entity;
    if (const auto* c = std::get_if<dxf::Circle>(&e.data)) return c->radius;
    if (const auto* a = std::get_if<dxf::Arc>(&e.data)) return a->radius;
    throw Missing("Radius");
  }
  double StartAngle() override { return AngleOf("StartAngle", true); }
  double EndAngle() override { return AngleOf("EndAngle", false); }
  double RadiusRatio() override { return As<dxf::Ellipse>("RadiusRatio").ratio; }
  TAcadPoint MajorAxis() override { return As<dxf::Ellipse>("MajorAxis").majorAxis; }
  double StartParameter() override { return As<dxf::Ellipse>("StartParameter").startParam; }
  double EndParameter() override { return As<dxf::Ellipse>("EndParameter").endParam; }
  double Thickness() override {
    const auto& e = Get().entity;
    if (std::holds_alternative<dxf::Ellipse>(e.data) ||
        std::holds_alternative<dxf::Insert>(e.data) || Is3dPolyline(e)) {
      throw Missing("Thickness");
    }
    return e.common.thickness;
  }
  double Elevation() override {
    const auto& e = Get().entity;
    if (const auto* lw = std::get_if<dxf::LwPolyline>(&e.data)) return lw->elevation;
    if (const auto* pl = std::get_if<dxf::Polyline>(&e.data); pl && !Is3dPolyline(e)) {
      return pl->elevation;
    }
    throw Missing("Elevation");
  }
  TAcadPoint Normal() override {
    const auto& e = Get().entity;
    if (Is3dPolyline(e) || std::holds_alternative<dxf::Point>(e.data)) throw Missing("Normal");
    return e.common.extrusion;
  }
  std::vector<double> Coordinates() override {
    const auto& e = Get().entity;
    std::vector<double> out;
    if (const auto* lw = std::get_if<dxf::LwPolyline>(&e.data)) {
      for (const auto& v : lw->vertices) out.insert(out.end(), {v.x, v.y});
    } else if (const auto* pl = std::get_if<dxf::Polyline>(&e.data)) {
      for (const auto& v : pl->vertices) out.insert(out.end(), {v.point.x, v.point.y, v.point.z});
    } else if (const auto* p = std::get_if<dxf::Point>(&e.data)) {
      out = {p->position.x, p->position.y, p->position.z};
    } else {
      throw Missing("Coordinates");
    }
    return out;
  }
  TAcadPoint Coordinate(int index) override {
    const auto& e = Get().entity;
    if (const auto* lw = std::get_if<dxf::LwPolyline>(&e.data)) {
      const auto& v = lw->vertices.at(CheckIndex(index, lw->vertices.size()));
      return {v.x, v.y, 0};
    }
    if (const auto* pl = std::get_if<dxf::Polyline>(&e.data)) {
      return pl->vertices.at(CheckIndex(index, pl->vertices.size())).point;
    }
    throw Missing("Coordinate");
  }
  double GetBulge(int index) override {
    const auto& e = Get().entity;
    if (const auto* lw = std::get_if<dxf::LwPolyline>(&e.data)) {
      return lw->vertices.at(CheckIndex(index, lw->vertices.size())).bulge;
    }
    if (const auto* pl = std::get_if<dxf::Polyline>(&e.data); pl && !Is3dPolyline(e)) {
      return pl->vertices.at(CheckIndex(index, pl->vertices.size())).bulge;
    }
    throw Missing("GetBulge");
  }
  std::string TextString() override { return As<dxf::Text>("TextString").text; }

  int color() override { return Get().entity.common.colour.value_or(256); }
  void SetColor(int colour) override {
    if (colour < 0 || colour > 256)
      throw CadError("color " + std::to_string(colour) + " is not 0 to 256");
    Change().entity.common.colour = colour == 256 ? std::nullopt : std::optional<int>(colour);
  }
  double ScaleFactor() override { return As<dxf::Text>("ScaleFactor").widthFactor; }
  void SetScaleFactor(double factor) override {
    As<dxf::Text>("ScaleFactor");
    if (!(factor > 0) || !std::isfinite(factor)) throw CadError("ScaleFactor must be positive");
    std::get<dxf::Text>(Change().entity.data).widthFactor = factor;
  }
  void Highlight(bool on) override {
    Get();
    auto& highlighted = anchor_.State().highlighted;
    if (on) {
      highlighted.insert(id_);
    } else {
      highlighted.erase(id_);
    }
  }
  std::vector<CadEntityPtr> Explode() override;
  void Delete() override {
    HostState& state = anchor_.State();
    std::vector<HostEntity>* container = nullptr;
    if (!FindEntity(state.doc, id_, &container)) throw Gone();
    state.BeginChange();
    FindEntity(state.doc, id_, &container);
    container->erase(std::find_if(container->begin(), container->end(),
                                  [&](const HostEntity& e) { return e.id == id_; }));
    state.highlighted.erase(id_);
  }

 private:
  HostEntity& Get() {
    HostEntity* e = FindEntity(anchor_.State().doc, id_, nullptr);
    if (!e) throw Gone();
    return *e;
  }
  HostEntity& Change() {
    Get();
    anchor_.State().BeginChange();
    return Get();
  }
  template <class T>
  const T& As(const char* member) {
    const auto* data = std::get_if<T>(&Get().entity.data);
    if (!data) throw Missing(member);
    return *data;
  }
  CadError Missing(const std::string& member) {
    return CadError(member + " is not a member of " + ClassNameOf(Get().entity));
  }
  CadError Gone() const { return CadError("object " + std::to_string(id_) + " has been erased"); }
  static bool Is3dPolyline(const dxf::Entity& e) {
    const auto* pl = std::get_if<dxf::Polyline>(&e.data);
    return pl && (pl->flags & 8) != 0;
  }
  size_t CheckIndex(int index, size_t size) {
    if (index < 0 || static_cast<size_t>(index) >= size) {
      throw CadError("vertex index " + std::to_string(index) + " is out of range");
    }
    return static_cast<size_t>(index);
  }
  TAcadPoint EndOf(const char* member, bool start) {
    const auto& e = Get().entity;
    if (const auto* l = std::get_if<dxf::Line>(&e.data)) return start ? l->start : l->end;
    if (const auto* a = std::get_if<dxf::Arc>(&e.data)) {
      const double angle = (start ? a->startAngle : a->endAngle) * kRadPerDeg;
      return OcsToWorld({a->centre.x + a->radius * std::cos(angle),
                         a->centre.y + a->radius * std::sin(angle), a->centre.z},
                        e.common.extrusion);
    }
    if (const auto* el = std::get_if<dxf::Ellipse>(&e.data)) {
      const double s = start ? el->startParam : el->endParam;
      const TAcadPoint u = el->majorAxis;
      const TAcadPoint n = e.common.extrusion;
      const TAcadPoint w{n.y * u.z - n.z * u.y, n.z * u.x - n.x * u.z, n.x * u.y - n.y * u.x};
      const double len = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
      const double k = el->ratio / (len > 0 ? len : 1);
      return {el->centre.x + u.x * std::cos(s) + w.x * k * std::sin(s),
              el->centre.y + u.y * std::cos(s) + w.y * k * std::sin(s),
              el->centre.z + u.z * std::cos(s) + w.z * k * std::sin(s)};
    }
    throw Missing(member);
  }
  double AngleOf(const char* member, bool start) {
    const auto& e = Get().entity;
    if (const auto* a = std::get_if<dxf::Arc>(&e.data)) {
      return (start ? a->startAngle : a->endAngle) * kRadPerDeg;
    }
    if (const auto* el = std::get_if<dxf::Ellipse>(&e.data)) {
      // The angle of the end point from the major axis, as the parameter's point shows it.
      const double s = start ? el->startParam : el->endParam;
      double angle = std::atan2(el->ratio * std::sin(s), std::cos(s));
      if (angle < 0) angle += 2 * 3.14159265358979323846;
      return angle;
    }
    throw Missing(member);
  }

  Anchor anchor_;
  int64_t id_;
};

std::vector<CadEntityPtr> HostEntityObject::Explode() {
  HostState& state = anchor_.State();
  std::vector<HostEntity>* container = nullptr;
  HostEntity* self = FindEntity(state.doc, id_, &container);
  if (!self) throw Gone();
  std::vector<dxf::Entity> pieces;
  if (const auto* insert = std::get_if<dxf::Insert>(&self->entity.data)) {
    const HostBlock* block = FindBlock(state.doc, insert->blockName);
    if (!block) throw CadError("block \"" + insert->blockName + "\" is not defined");
    const auto& s = insert->scale;
    if (s.x != s.y || s.x != s.z || !(s.x > 0)) {
      throw CadError("a block reference with unequal or negative scales cannot be exploded");
    }
    const TAcadPoint n = self->entity.common.extrusion;
    if (n.x != 0 || n.y != 0 || n.z != 1) {
      throw CadError("a block reference outside the xy plane cannot be exploded");
    }
    pieces = PlaceBlockEntities(
        *block, Placement{block->base, insert->position, s.x, insert->rotation * kRadPerDeg});
  } else {
    pieces = ExplodePolyline(self->entity);
    if (pieces.empty()) throw CadError(ClassNameOf(self->entity) + " cannot be exploded");
  }
  state.BeginChange();
  FindEntity(state.doc, id_, &container);
  std::vector<CadEntityPtr> out;
  for (int64_t id : AppendEntities(state, *container, std::move(pieces))) {
    out.push_back(MakeEntityObject(anchor_.Shared(), id));
  }
  return out;
}

// --- blocks and model space -----------------------------------------------------------------

class HostBlockObject final : public CadBlock {
 public:
  // An empty name stands for model space.
  HostBlockObject(const std::shared_ptr<HostState>& state, std::string name)
      : anchor_(state), name_(std::move(name)) {}

  std::string Name() override { return name_.empty() ? std::string("*Model_Space") : Block().name; }
  void Delete() override {
    HostState& state = anchor_.State();
    if (name_.empty()) throw CadError("model space cannot be deleted");
    Block();
    auto referenced = [&](const std::vector<HostEntity>& entities) {
      return std::any_of(entities.begin(), entities.end(), [&](const HostEntity& e) {
        const auto* insert = std::get_if<dxf::Insert>(&e.entity.data);
        return insert && UpperAscii(insert->blockName) == UpperAscii(name_);
      });
    };
    bool used = referenced(state.doc.modelSpace);
    for (const auto& block : state.doc.blocks) used = used || referenced(block.entities);
    if (used) throw CadError("block \"" + name_ + "\" is referenced and cannot be deleted");
    state.BeginChange();
    auto& blocks = state.doc.blocks;
    blocks.erase(std::find_if(blocks.begin(), blocks.end(), [&](const HostBlock& b) {
      return UpperAscii(b.name) == UpperAscii(name_);
    }));
  }
  int Count() override { return static_cast<int>(Entities().size()); }
  CadEntityPtr Item(int index) override {
    auto& list = Entities();
    if (index < 0 || static_cast<size_t>(index) >= list.size()) {
      throw CadError("index " + std::to_string(index) + " is out of range");
    }
    return MakeEntityObject(anchor_.Shared(), list[static_cast<size_t>(index)].id);
  }
  CadEntityPtr AddLine(const TAcadPoint& start, const TAcadPoint& end) override {
    return Add(dxf::Line{start, end});
  }
  CadEntityPtr AddText(const std::string& text, const TAcadPoint& insertion,
                       double height) override {
    if (!(height > 0) || !std::isfinite(height)) throw CadError("text height must be positive");
    dxf::Text t;
    t.position = insertion;
    t.alignment = insertion;
    t.height = height;
    t.text = text;
    return Add(std::move(t));
  }

 private:
  HostBlock& Block() {
    HostBlock* block = FindBlock(anchor_.State().doc, name_);
    if (!block) throw CadError("block \"" + name_ + "\" no longer exists");
    return *block;
  }
  std::vector<HostEntity>& Entities() {
    return name_.empty() ? anchor_.State().doc.modelSpace : Block().entities;
  }
  CadEntityPtr Add(dxf::EntityData data) {
    HostState& state = anchor_.State();
    Entities();
    state.BeginChange();
    dxf::Entity entity;
    entity.common.layer = state.CurrentLayer();
    entity.data = std::move(data);
    const auto ids = AppendEntities(state, Entities(), {std::move(entity)});
    return MakeEntityObject(anchor_.Shared(), ids.front());
  }

  Anchor anchor_;
  std::string name_;
};

class HostBlocksObject final : public CadBlocks {
 public:
  explicit HostBlocksObject(const std::shared_ptr<HostState>& state) : anchor_(state) {}
  int Count() override { return static_cast<int>(anchor_.State().doc.blocks.size()); }
  std::shared_ptr<CadBlock> Item(int index) override {
    auto& blocks = anchor_.State().doc.blocks;
    if (index < 0 || static_cast<size_t>(index) >= blocks.size()) {
      throw CadError("block index " + std::to_string(index) + " is out of range");
    }
    return std::make_shared<HostBlockObject>(anchor_.Shared(),
                                             blocks[static_cast<size_t>(index)].name);
  }
  std::shared_ptr<CadBlock> Add(const TAcadPoint& origin, const std::string& name) override {
    HostState& state = anchor_.State();
    if (name.empty() || name.find_first_of("<>/\\\":;?*|,=`") != std::string::npos) {
      throw CadError("\"" + name + "\" is not a valid block name");
    }
    if (!FindBlock(state.doc, name)) {
      state.BeginChange();
      state.doc.blocks.push_back(HostBlock{name, origin, 0, {}});
    }
    return std::make_shared<HostBlockObject>(anchor_.Shared(), FindBlock(state.doc, name)->name);
  }

 private:
  Anchor anchor_;
};

// --- layers and line types ------------------------------------------------------------------

template <class Interface, class Record>
class HostTableRecordObject final : public Interface {
 public:
  HostTableRecordObject(const std::shared_ptr<HostState>& state, std::string name,
                        std::vector<Record> HostDocument::*table)
      : anchor_(state), name_(std::move(name)), table_(table) {}
  std::string Name() override {
    auto& records = anchor_.State().doc.*table_;
    auto it = Find(records);
    if (it == records.end()) throw CadError("\"" + name_ + "\" no longer exists");
    return it->name;
  }
  void Delete() override {
    HostState& state = anchor_.State();
    auto& records = state.doc.*table_;
    if (Find(records) == records.end()) throw CadError("\"" + name_ + "\" no longer exists");
    const std::string upper = UpperAscii(name_);
    if (upper == "0" || upper == "CONTINUOUS")
      throw CadError("\"" + name_ + "\" cannot be deleted");
    state.BeginChange();
    auto& after = state.doc.*table_;
    after.erase(Find(after));
  }

 private:
  typename std::vector<Record>::iterator Find(std::vector<Record>& records) {
    return std::find_if(records.begin(), records.end(),
                        [&](const Record& r) { return UpperAscii(r.name) == UpperAscii(name_); });
  }
  Anchor anchor_;
  std::string name_;
  std::vector<Record> HostDocument::*table_;
};

using HostLayerObject = HostTableRecordObject<CadLayer, dxf::Layer>;
using HostLinetypeObject = HostTableRecordObject<CadLinetype, dxf::LineType>;

bool ValidTableName(const std::string& name) {
  return !name.empty() && name.find_first_of("<>/\\\":;?*|,=`") == std::string::npos;
}

class HostLayersObject final : public CadLayers {
 public:
  explicit HostLayersObject(const std::shared_ptr<HostState>& state) : anchor_(state) {}
  int Count() override { return static_cast<int>(anchor_.State().doc.layers.size()); }
  std::shared_ptr<CadLayer> Item(int index) override {
    auto& layers = anchor_.State().doc.layers;
    if (index < 0 || static_cast<size_t>(index) >= layers.size()) {
      throw CadError("layer index " + std::to_string(index) + " is out of range");
    }
    return std::make_shared<HostLayerObject>(
        anchor_.Shared(), layers[static_cast<size_t>(index)].name, &HostDocument::layers);
  }
  std::shared_ptr<CadLayer> Add(const std::string& name) override {
    HostState& state = anchor_.State();
    if (!ValidTableName(name)) throw CadError("\"" + name + "\" is not a valid layer name");
    if (!FindLayer(state.doc, name)) {
      state.BeginChange();
      state.doc.layers.push_back(dxf::Layer{name});
    }
    return std::make_shared<HostLayerObject>(anchor_.Shared(), FindLayer(state.doc, name)->name,
                                             &HostDocument::layers);
  }

 private:
  Anchor anchor_;
};

class HostLinetypesObject final : public CadLinetypes {
 public:
  explicit HostLinetypesObject(const std::shared_ptr<HostState>& state) : anchor_(state) {}
  int Count() override { return static_cast<int>(anchor_.State().doc.lineTypes.size()); }
  std::shared_ptr<CadLinetype> Item(int index) override {
    auto& types = anchor_.State().doc.lineTypes;
    if (index < 0 || static_cast<size_t>(index) >= types.size()) {
      throw CadError("line type index " + std::to_string(index) + " is out of range");
    }
    return std::make_shared<HostLinetypeObject>(
        anchor_.Shared(), types[static_cast<size_t>(index)].name, &HostDocument::lineTypes);
  }
  std::shared_ptr<CadLinetype> Add(const std::string& name) override {
    HostState& state = anchor_.State();
    if (!ValidTableName(name)) throw CadError("\"" + name + "\" is not a valid line type name");
    if (!FindLineType(state.doc, name)) {
      state.BeginChange();
      state.doc.lineTypes.push_back(dxf::LineType{name, "", 0.0, {}});
    }
    return std::make_shared<HostLinetypeObject>(
        anchor_.Shared(), FindLineType(state.doc, name)->name, &HostDocument::lineTypes);
  }
  void Load(const std::string& name, const std::string& file) override {
    HostState& state = anchor_.State();
    if (FindLineType(state.doc, name))
      throw CadError("line type \"" + name + "\" is already loaded");
    if (!LoadLinetypeInto(state, name, file)) {
      throw CadError("line type \"" + name + "\" is not in the file \"" + file + "\"");
    }
  }

 private:
  Anchor anchor_;
};

// --- selection sets -------------------------------------------------------------------------

std::vector<std::string> SplitList(const std::string& text) {
  std::vector<std::string> out;
  size_t start = 0;
  while (start <= text.size()) {
    const size_t comma = text.find(',', start);
    out.push_back(UpperAscii(
        text.substr(start, comma == std::string::npos ? std::string::npos : comma - start)));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return out;
}

bool PassesFilter(const dxf::Entity& entity, const SelectionFilter& filter) {
  if (filter.codes.size() != filter.values.size()) {
    throw CadError("the selection filter has " + std::to_string(filter.codes.size()) +
                   " codes but " + std::to_string(filter.values.size()) + " values");
  }
  for (size_t i = 0; i < filter.codes.size(); ++i) {
    std::string have;
    if (filter.codes[i] == 0) {
      have = DxfTypeOf(entity);
    } else if (filter.codes[i] == 8) {
      have = UpperAscii(entity.common.layer);
    } else {
      throw CadError("selection filter group code " + std::to_string(filter.codes[i]) +
                     " is not supported");
    }
    const auto wanted = SplitList(filter.values[i]);
    if (std::find(wanted.begin(), wanted.end(), have) == wanted.end() &&
        std::find(wanted.begin(), wanted.end(), "*") == wanted.end()) {
      return false;
    }
  }
  return true;
}

bool InWindow(const HostDocument& doc, const dxf::Entity& entity, const TAcadPoint& c1,
              const TAcadPoint& c2, bool crossing) {
  const auto outlines = EntityOutlines(doc, entity);
  if (outlines.empty()) return false;
  if (crossing) {
    return std::any_of(outlines.begin(), outlines.end(),
                       [&](const auto& o) { return OutlineCrossesWindow(o, c1, c2); });
  }
  return std::all_of(outlines.begin(), outlines.end(),
                     [&](const auto& o) { return OutlineInsideWindow(o, c1, c2); });
}

class HostSelectionSetObject final : public CadSelectionSet {
 public:
  HostSelectionSetObject(const std::shared_ptr<HostState>& state,
                         std::shared_ptr<HostSelectionSetData> data)
      : anchor_(state), data_(std::move(data)) {}

  std::string Name() override { return Data().name; }
  void Delete() override {
    HostState& state = anchor_.State();
    Data().deleted = true;
    auto& sets = state.selectionSets;
    sets.erase(std::remove(sets.begin(), sets.end(), data_), sets.end());
  }
  int Count() override { return static_cast<int>(Live().size()); }
  CadEntityPtr Item(int index) override {
    const auto& ids = Live();
    if (index < 0 || static_cast<size_t>(index) >= ids.size()) {
      throw CadError("selection index " + std::to_string(index) + " is out of range");
    }
    return MakeEntityObject(anchor_.Shared(), ids[static_cast<size_t>(index)]);
  }
  void Clear() override { Data().ids.clear(); }
  void Select(int mode, const TAcadPoint& corner1, const TAcadPoint& corner2,
              const SelectionFilter& filter) override {
    HostState& state = anchor_.State();
    Data();
    auto& model = state.doc.modelSpace;
    if (mode == kSelectLast) {
      if (!model.empty() && PassesFilter(model.back().entity, filter)) AddId(model.back().id);
      return;
    }
    if (mode != kSelectCrossing && mode != kSelectWindow && mode != kSelectAll) {
      throw CadError("selection mode " + std::to_string(mode) + " is not supported");
    }
    for (const auto& e : model) {
      if (!PassesFilter(e.entity, filter)) continue;
      if (mode == kSelectAll ||
          InWindow(state.doc, e.entity, corner1, corner2, mode == kSelectCrossing)) {
        AddId(e.id);
      }
    }
  }
  void SelectOnScreen(const SelectionFilter& filter) override {
    HostState& state = anchor_.State();
    Data();
    if (!state.interaction) throw CadError("the host has no user interaction");
    auto answer = state.interaction->SelectObjects("Select objects: ");
    if (!answer) throw CadError("selection cancelled");
    for (int64_t id : Resolve(state, *answer)) {
      HostEntity* e = FindEntity(state.doc, id, nullptr);
      if (e && PassesFilter(e->entity, filter)) AddId(id);
    }
  }
  void Highlight(bool on) override {
    HostState& state = anchor_.State();
    for (int64_t id : Live()) {
      if (on) {
        state.highlighted.insert(id);
      } else {
        state.highlighted.erase(id);
      }
    }
  }

 private:
  HostSelectionSetData& Data() {
    anchor_.State();
    if (data_->deleted) throw CadError("selection set \"" + data_->name + "\" has been deleted");
    return *data_;
  }
  // Erased entities drop out of the set; checked once per change of the drawing, so walking
  // a large set item by item stays linear.
  const std::vector<int64_t>& Live() {
    HostState& state = anchor_.State();
    auto& data = Data();
    if (data.checkedAt != state.changeCount) {
      std::erase_if(data.ids, [&](int64_t id) { return !FindEntity(state.doc, id, nullptr); });
      data.checkedAt = state.changeCount;
    }
    return data.ids;
  }
  void AddId(int64_t id) {
    auto& ids = Data().ids;
    if (std::find(ids.begin(), ids.end(), id) == ids.end()) ids.push_back(id);
  }
  static std::vector<int64_t> Resolve(HostState& state, const SelectionAnswer& answer) {
    std::vector<int64_t> ids;
    switch (answer.kind) {
      case SelectionAnswer::Kind::kHandles:
        for (const auto& handle : answer.handles) {
          HostEntity* e = FindByHandle(state.doc, handle);
          if (!e) throw CadError("no entity has the handle " + handle);
          ids.push_back(e->id);
        }
        break;
      case SelectionAnswer::Kind::kLayer:
        for (const auto& e : state.doc.modelSpace) {
          if (UpperAscii(e.entity.common.layer) == UpperAscii(answer.layer)) ids.push_back(e.id);
        }
        break;
      case SelectionAnswer::Kind::kWindow:
      case SelectionAnswer::Kind::kCrossing:
        for (const auto& e : state.doc.modelSpace) {
          if (InWindow(state.doc, e.entity, answer.corner1, answer.corner2,
                       answer.kind == SelectionAnswer::Kind::kCrossing)) {
            ids.push_back(e.id);
          }
        }
        break;
    }
    return ids;
  }

  Anchor anchor_;
  std::shared_ptr<HostSelectionSetData> data_;
};

class HostSelectionSetsObject final : public CadSelectionSets {
 public:
  explicit HostSelectionSetsObject(const std::shared_ptr<HostState>& state) : anchor_(state) {}
  int Count() override { return static_cast<int>(anchor_.State().selectionSets.size()); }
  std::shared_ptr<CadSelectionSet> Item(int index) override {
    auto& sets = anchor_.State().selectionSets;
    if (index < 0 || static_cast<size_t>(index) >= sets.size()) {
      throw CadError("selection set index " + std::to_string(index) + " is out of range");
    }
    return std::make_shared<HostSelectionSetObject>(anchor_.Shared(),
                                                    sets[static_cast<size_t>(index)]);
  }
  std::shared_ptr<CadSelectionSet> Add(const std::string& name) override {
    HostState& state = anchor_.State();
    for (const auto& set : state.selectionSets) {
      if (UpperAscii(set->name) == UpperAscii(name)) {
        throw CadError("selection set \"" + name + "\" already exists");
      }
    }
    if (name.empty()) throw CadError("a selection set needs a name");
    auto data = std::make_shared<HostSelectionSetData>();
    data->name = name;
    state.selectionSets.push_back(data);
    return std::make_shared<HostSelectionSetObject>(anchor_.Shared(), data);
  }

 private:
  Anchor anchor_;
};

// --- Utility, document, application ---------------------------------------------------------

class HostUtilityObject final : public CadUtility {
 public:
  explicit HostUtilityObject(const std::shared_ptr<HostState>& state) : anchor_(state) {}
  void Prompt(const std::string& text) override { anchor_.State().Log(text); }
  TAcadPoint GetPoint(const std::optional<TAcadPoint>& base, const std::string& prompt) override {
    HostState& state = Ready(prompt);
    auto point = state.interaction->GetPoint(prompt, base);
    if (!point) throw CadError("point input cancelled");
    return *point;
  }
  double GetAngle(const std::optional<TAcadPoint>& base, const std::string& prompt) override {
    HostState& state = Ready(prompt);
    auto angle = state.interaction->GetAngle(prompt, base);
    if (!angle) throw CadError("angle input cancelled");
    return *angle;
  }
  PickedEntity GetEntity(const std::string& prompt) override {
    HostState& state = Ready(prompt);
    auto answer = state.interaction->GetEntity(prompt);
    if (!answer) throw CadError("entity pick cancelled");
    HostEntity* e = FindByHandle(state.doc, answer->handle);
    std::vector<HostEntity>* container = nullptr;
    if (!e || !FindEntity(state.doc, e->id, &container) || container != &state.doc.modelSpace) {
      throw CadError("no entity in the drawing has the handle " + answer->handle);
    }
    return PickedEntity{MakeEntityObject(anchor_.Shared(), e->id), answer->pickPoint};
  }

 private:
  HostState& Ready(const std::string& prompt) {
    HostState& state = anchor_.State();
    if (!state.interaction) throw CadError("the host has no user interaction");
    state.Log(prompt);
    return state;
  }
  Anchor anchor_;
};

// Variables whose type the host knows; any other is kept as set.
bool CheckedVariable(const std::string& upper, const CadValue& value) {
  const bool isInt = std::holds_alternative<int32_t>(value);
  if (upper == "BLIPMODE" || upper == "SNAPMODE" || upper == "FILEDIA") {
    return isInt && (std::get<int32_t>(value) == 0 || std::get<int32_t>(value) == 1);
  }
  if (upper == "LASTPOINT") return std::holds_alternative<TAcadPoint>(value);
  if (upper == "DIMSCALE") {
    return (isInt || std::holds_alternative<double>(value)) && CadValueToDouble(value) >= 0;
  }
  if (upper == "CLAYER" || upper == "CELTYPE") return std::holds_alternative<std::string>(value);
  return !std::holds_alternative<std::monostate>(value);
}

class HostDocumentObject final : public CadDocument {
 public:
  explicit HostDocumentObject(const std::shared_ptr<HostState>& state) : anchor_(state) {}
  std::shared_ptr<CadBlock> ModelSpace() override {
    return std::make_shared<HostBlockObject>(anchor_.Shared(), "");
  }
  std::shared_ptr<CadBlocks> Blocks() override {
    return std::make_shared<HostBlocksObject>(anchor_.Shared());
  }
  std::shared_ptr<CadLayers> Layers() override {
    return std::make_shared<HostLayersObject>(anchor_.Shared());
  }
  std::shared_ptr<CadLinetypes> Linetypes() override {
    return std::make_shared<HostLinetypesObject>(anchor_.Shared());
  }
  std::shared_ptr<CadSelectionSets> SelectionSets() override {
    return std::make_shared<HostSelectionSetsObject>(anchor_.Shared());
  }
  std::shared_ptr<CadUtility> Utility() override {
    return std::make_shared<HostUtilityObject>(anchor_.Shared());
  }
  void SendCommand(const std::string& text) override {
    auto state = anchor_.Shared();
    // Busy while it runs, and one undo group for whatever the command changes.
    struct Running {
      HostState& s;
      bool outer;
      explicit Running(HostState& st) : s(st), outer(!st.inCommand) {
        ++s.busy;
        if (outer) {
          s.inCommand = true;
          s.commandGroupOpen = false;
        }
      }
      ~Running() {
        --s.busy;
        if (outer) s.inCommand = false;
      }
      Running(const Running&) = delete;
      Running& operator=(const Running&) = delete;
    } running(*state);
    RunCommandText(*state, text);
  }
  void SetVariable(const std::string& name, const CadValue& value) override {
    HostState& state = anchor_.State();
    const std::string upper = UpperAscii(name);
    if (upper.empty()) throw CadError("a system variable needs a name");
    if (!CheckedVariable(upper, value))
      throw CadError("invalid value for system variable " + upper);
    if (upper == "CLAYER" && !FindLayer(state.doc, std::get<std::string>(value))) {
      throw CadError("layer \"" + std::get<std::string>(value) + "\" does not exist");
    }
    state.doc.variables[upper] = value;
  }
  CadValue GetVariable(const std::string& name) override {
    HostState& state = anchor_.State();
    auto it = state.doc.variables.find(UpperAscii(name));
    if (it == state.doc.variables.end()) throw CadError("unknown system variable " + name);
    return it->second;
  }
  void StartUndoMark() override {
    HostState& state = anchor_.State();
    if (state.undoMarkDepth++ == 0) state.PushUndoGroup();
  }
  void EndUndoMark() override {
    HostState& state = anchor_.State();
    if (state.undoMarkDepth > 0) --state.undoMarkDepth;
  }
  void Regen(int) override { anchor_.State(); }
  CadEntityPtr ObjectIDToObject(int64_t id) override {
    HostState& state = anchor_.State();
    if (!FindEntity(state.doc, id, nullptr))
      throw CadError("no object has the ID " + std::to_string(id));
    return MakeEntityObject(anchor_.Shared(), id);
  }

 private:
  Anchor anchor_;
};

class HostStateObject final : public CadState {
 public:
  explicit HostStateObject(const std::shared_ptr<HostState>& state) : state_(state) {}
  bool IsQuiescent() override {
    auto state = state_.lock();
    if (!state) throw CadError("the host has been closed");
    return state->busy == 0;
  }

 private:
  std::weak_ptr<HostState> state_;
};

class HostApplicationObject final : public CadApplication {
 public:
  explicit HostApplicationObject(const std::shared_ptr<HostState>& state) : state_(state) {}
  int64_t Hwnd() override {
    Live();
    return kHostWindow;
  }
  std::shared_ptr<CadDocument> ActiveDocument() override {
    auto state = Live();
    if (!state->open) throw CadError("no drawing is open");
    return MakeDocumentObject(state);
  }
  std::shared_ptr<CadState> GetAcadState() override {
    return std::make_shared<HostStateObject>(Live());
  }
  std::shared_ptr<CadState> GetZcadState() override {
    return std::make_shared<HostStateObject>(Live());
  }
  std::shared_ptr<CadState> GetGcadState() override {
    return std::make_shared<HostStateObject>(Live());
  }

 private:
  std::shared_ptr<HostState> Live() {
    auto state = state_.lock();
    if (!state) throw CadError("the host has been closed");
    return state;
  }
  std::weak_ptr<HostState> state_;
};

}  // namespace

// --- HostState and the shared helpers -------------------------------------------------------

void HostState::PushUndoGroup() {
  // A new change ends the line of undone groups that redo could bring back.
  redoGroups.clear();
  undoGroups.push_back(doc);
  if (undoGroups.size() > static_cast<size_t>(kMaxUndoGroups)) undoGroups.erase(undoGroups.begin());
}

void HostState::BeginChange() {
  ++changeCount;
  if (undoMarkDepth > 0) return;
  if (inCommand) {
    if (!commandGroupOpen) PushUndoGroup();
    commandGroupOpen = true;
    return;
  }
  PushUndoGroup();
}

bool HostState::Undo() {
  if (undoGroups.empty()) return false;
  // System variables are settings, not drawing content: undo leaves them.
  auto variables = doc.variables;
  redoGroups.push_back(std::move(doc));
  doc = std::move(undoGroups.back());
  doc.variables = std::move(variables);
  undoGroups.pop_back();
  undoMarkDepth = 0;
  ++changeCount;
  return true;
}

bool HostState::Redo() {
  if (redoGroups.empty()) return false;
  auto variables = doc.variables;
  undoGroups.push_back(std::move(doc));
  doc = std::move(redoGroups.back());
  doc.variables = std::move(variables);
  redoGroups.pop_back();
  undoMarkDepth = 0;
  ++changeCount;
  return true;
}

void HostState::ResetHistory() {
  undoGroups.clear();
  redoGroups.clear();
  undoMarkDepth = 0;
  ++changeCount;
}

std::vector<std::string> HandlesInWindow(const HostDocument& doc, const TAcadPoint& c1,
                                         const TAcadPoint& c2, bool crossing) {
  std::vector<std::string> handles;
  for (const auto& e : doc.modelSpace) {
    if (InWindow(doc, e.entity, c1, c2, crossing)) handles.push_back(e.entity.common.handle);
  }
  return handles;
}

std::string HostState::CurrentLayer() const {
  auto it = doc.variables.find("CLAYER");
  if (it != doc.variables.end()) {
    if (const auto* s = std::get_if<std::string>(&it->second); s && FindLayer(doc, *s)) return *s;
  }
  return "0";
}

HostEntity* FindEntity(HostDocument& doc, int64_t id, std::vector<HostEntity>** container) {
  auto search = [&](std::vector<HostEntity>& list) -> HostEntity* {
    auto it = std::lower_bound(list.begin(), list.end(), id,
                               [](const HostEntity& e, int64_t v) { return e.id < v; });
    if (it == list.end() || it->id != id) return nullptr;
    if (container) *container = &list;
    return &*it;
  };
  if (HostEntity* e = search(doc.modelSpace)) return e;
  for (auto& block : doc.blocks) {
    if (HostEntity* e = search(block.entities)) return e;
  }
  return nullptr;
}

HostEntity* FindByHandle(HostDocument& doc, std::string_view handle) {
  const std::string wanted = UpperAscii(handle);
  for (auto& e : doc.modelSpace) {
    if (UpperAscii(e.entity.common.handle) == wanted) return &e;
  }
  return nullptr;
}

std::vector<int64_t> AppendEntities(HostState& state, std::vector<HostEntity>& container,
                                    std::vector<dxf::Entity> entities) {
  std::vector<int64_t> ids;
  for (auto& e : entities) {
    container.push_back(MakeHostEntity(state.doc, std::move(e)));
    ids.push_back(container.back().id);
  }
  return ids;
}

std::vector<dxf::Entity> PlaceBlockEntities(const HostBlock& block, const Placement& placement) {
  std::vector<dxf::Entity> out;
  out.reserve(block.entities.size());
  for (const auto& e : block.entities) out.push_back(PlaceEntity(e.entity, placement));
  return out;
}

std::vector<std::vector<TAcadPoint>> EntityOutlines(const HostDocument& doc,
                                                    const dxf::Entity& entity, int depth) {
  const auto* insert = std::get_if<dxf::Insert>(&entity.data);
  if (!insert) return {PlanOutline(entity)};
  // Deeply nested or self-referencing blocks count by their insertion point alone.
  const HostBlock* block = FindBlock(doc, insert->blockName);
  if (!block || depth > 8 || insert->scale.x <= 0) return {PlanOutline(entity)};
  const Placement placement{block->base, OcsToWorld(insert->position, entity.common.extrusion),
                            insert->scale.x, insert->rotation * kRadPerDeg};
  std::vector<std::vector<TAcadPoint>> out;
  for (const auto& e : block->entities) {
    for (auto& outline : EntityOutlines(doc, PlaceEntity(e.entity, placement), depth + 1)) {
      out.push_back(std::move(outline));
    }
  }
  if (out.empty()) out.push_back(PlanOutline(entity));
  return out;
}

void MergeDefinitions(HostState& state, const dxf::Drawing& file) {
  // What comes from another file is new to this drawing.
  for (dxf::Layer layer : file.layers) {
    layer.source = {};
    if (!FindLayer(state.doc, layer.name)) state.doc.layers.push_back(std::move(layer));
  }
  for (dxf::LineType type : file.lineTypes) {
    type.source = {};
    if (!FindLineType(state.doc, type.name)) state.doc.lineTypes.push_back(std::move(type));
  }
  // Diagram files carry no layer table: the layers their entities name come into being.
  auto addUsedLayers = [&](const std::vector<dxf::Entity>& entities) {
    for (const auto& e : entities) {
      if (!e.common.layer.empty() && !FindLayer(state.doc, e.common.layer)) {
        state.doc.layers.push_back(dxf::Layer{e.common.layer});
      }
    }
  };
  addUsedLayers(file.entities);
  for (const auto& block : file.blocks) addUsedLayers(block.entities);
  for (const auto& block : file.blocks) {
    if (FindBlock(state.doc, block.name)) continue;
    HostBlock adopted{block.name, block.base, block.flags, {}};
    for (const auto& e : block.entities) adopted.entities.push_back(MakeHostEntity(state.doc, e));
    state.doc.blocks.push_back(std::move(adopted));
  }
}

CadEntityPtr MakeEntityObject(const std::shared_ptr<HostState>& state, int64_t id) {
  return std::make_shared<HostEntityObject>(state, id);
}

CadDocumentPtr MakeDocumentObject(const std::shared_ptr<HostState>& state) {
  return std::make_shared<HostDocumentObject>(state);
}

CadApplicationPtr MakeApplicationObject(const std::shared_ptr<HostState>& state) {
  return std::make_shared<HostApplicationObject>(state);
}

}  // namespace vorn::cad::host
