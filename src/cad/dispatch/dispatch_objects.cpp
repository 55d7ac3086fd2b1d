#include "cad/dispatch/dispatch_objects.h"

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "cad/dispatch/dispatch_marshal.h"

namespace vorn::cad::dispatch {
namespace {

// One automation object seen in a role ("Document", "Layers", ...); the role names the object
// in error messages.
class Dispatched {
 public:
  Dispatched(DispatchObjectPtr object, std::string role)
      : object_(std::move(object)), role_(std::move(role)) {
    if (!object_) throw CadError(role_ + ": no object");
  }

 protected:
  std::string Where(std::string_view member) const { return role_ + "." + std::string(member); }

  DispatchValue Invoke(InvokeKind kind, std::string_view member,
                       std::vector<DispatchArgument>& args) const {
    try {
      return object_->Invoke(kind, member, args);
    } catch (const CadError& failure) {
      throw CadError(Where(member) + ": " + failure.what());
    }
  }

  static std::vector<DispatchArgument> ByValue(std::initializer_list<DispatchValue> values) {
    std::vector<DispatchArgument> args;
    args.reserve(values.size());
    for (const DispatchValue& value : values) args.push_back({value, false});
    return args;
  }

  DispatchValue Get(std::string_view member,
                    std::initializer_list<DispatchValue> values = {}) const {
    auto args = ByValue(values);
    return Invoke(InvokeKind::kPropertyGet, member, args);
  }

  DispatchValue Call(std::string_view member,
                     std::initializer_list<DispatchValue> values = {}) const {
    auto args = ByValue(values);
    return Invoke(InvokeKind::kMethod, member, args);
  }

  DispatchValue Call(std::string_view member, std::vector<DispatchArgument>& args) const {
    return Invoke(InvokeKind::kMethod, member, args);
  }

  void Put(std::string_view member, DispatchValue value) const {
    auto args = ByValue({std::move(value)});
    Invoke(InvokeKind::kPropertyPut, member, args);
  }

  // The object a member returns, in the role of `Wrapper`.
  template <class Wrapper>
  std::shared_ptr<Wrapper> Wrapped(const DispatchValue& value, std::string_view member,
                                   std::string role) const {
    return std::make_shared<Wrapper>(ToObject(value, Where(member)), std::move(role));
  }

  std::string TextOf(std::string_view member) const { return ToText(Get(member), Where(member)); }
  double NumberOf(std::string_view member) const { return ToDouble(Get(member), Where(member)); }
  TAcadPoint PointOf(std::string_view member) const { return ToPoint(Get(member), Where(member)); }

  const DispatchObjectPtr& object() const { return object_; }

 private:
  DispatchObjectPtr object_;
  std::string role_;
};

class DispatchEntity final : public CadEntity, Dispatched {
 public:
  using Dispatched::Dispatched;

  std::string EntityName() override { return TextOf("EntityName"); }
  int64_t ObjectID() override { return ToInt64(Get("ObjectID"), Where("ObjectID")); }
  std::string Handle() override { return TextOf("Handle"); }
  std::string Layer() override { return TextOf("Layer"); }
  std::string Name() override { return TextOf("Name"); }
  bool Closed() override { return ToBool(Get("Closed"), Where("Closed")); }
  TAcadPoint InsertionPoint() override { return PointOf("InsertionPoint"); }
  TAcadPoint StartPoint() override { return PointOf("StartPoint"); }
  TAcadPoint EndPoint() override { return PointOf("EndPoint"); }
  TAcadPoint center() override { return PointOf("center"); }
  double Radius() override { return NumberOf("Radius"); }
  double StartAngle() override { return NumberOf("StartAngle"); }
  double EndAngle() override { return NumberOf("EndAngle"); }
  double RadiusRatio() override { return NumberOf("RadiusRatio"); }
  TAcadPoint MajorAxis() override { return PointOf("MajorAxis"); }
  double StartParameter() override { return NumberOf("StartParameter"); }
  double EndParameter() override { return NumberOf("EndParameter"); }
  double Thickness() override { return NumberOf("Thickness"); }
  double Elevation() override { return NumberOf("Elevation"); }
  TAcadPoint Normal() override { return PointOf("Normal"); }
  std::vector<double> Coordinates() override {
    return ToDoubles(Get("Coordinates"), Where("Coordinates"));
  }
  // An indexed property: the vertex is read with its index as the argument.
  TAcadPoint Coordinate(int index) override {
    return ToPoint(Get("Coordinate", {int32_t{index}}), Where("Coordinate"));
  }
  double GetBulge(int index) override {
    return ToDouble(Call("GetBulge", {int32_t{index}}), Where("GetBulge"));
  }
  std::string TextString() override { return TextOf("TextString"); }

  int color() override { return ToInt(Get("color"), Where("color")); }
  void SetColor(int colour) override { Put("color", int32_t{colour}); }
  double ScaleFactor() override { return NumberOf("ScaleFactor"); }
  void SetScaleFactor(double factor) override { Put("ScaleFactor", factor); }
  void Highlight(bool on) override { Call("Highlight", {on}); }
  std::vector<CadEntityPtr> Explode() override {
    std::vector<CadEntityPtr> parts;
    for (auto& part : ToObjects(Call("Explode"), Where("Explode"))) {
      parts.push_back(std::make_shared<DispatchEntity>(std::move(part), "Entity"));
    }
    return parts;
  }
  void Delete() override { Call("Delete"); }
};

// Count and zero-based Item of a collection whose items take the role `itemRole`.
template <class Item, class Wrapper>
class Items : protected Dispatched {
 public:
  Items(DispatchObjectPtr object, std::string role, std::string itemRole)
      : Dispatched(std::move(object), std::move(role)), itemRole_(std::move(itemRole)) {}

 protected:
  int CountItems() const { return ToInt(Get("Count"), Where("Count")); }
  std::shared_ptr<Item> ItemAt(int index) const {
    return Wrapped<Wrapper>(Call("Item", {int32_t{index}}), "Item", itemRole_);
  }
  std::shared_ptr<Wrapper> Added(std::initializer_list<DispatchValue> args) const {
    return Wrapped<Wrapper>(Call("Add", args), "Add", itemRole_);
  }

 private:
  std::string itemRole_;
};

template <class Interface>
class DispatchNamed final : public Interface, Dispatched {
 public:
  using Dispatched::Dispatched;
  std::string Name() override { return TextOf("Name"); }
  void Delete() override { Call("Delete"); }
};

using DispatchLayer = DispatchNamed<CadLayer>;
using DispatchLinetype = DispatchNamed<CadLinetype>;

class DispatchBlock final : public CadBlock, Items<CadEntity, DispatchEntity> {
 public:
  DispatchBlock(DispatchObjectPtr object, std::string role)
      : Items(std::move(object), std::move(role), "Entity") {}
  std::string Name() override { return TextOf("Name"); }
  void Delete() override { Call("Delete"); }
  int Count() override { return CountItems(); }
  CadEntityPtr Item(int index) override { return ItemAt(index); }
  CadEntityPtr AddLine(const TAcadPoint& start, const TAcadPoint& end) override {
    return Wrapped<DispatchEntity>(Call("AddLine", {PointValue(start), PointValue(end)}), "AddLine",
                                   "Entity");
  }
  CadEntityPtr AddText(const std::string& text, const TAcadPoint& insertion,
                       double height) override {
    return Wrapped<DispatchEntity>(Call("AddText", {text, PointValue(insertion), height}),
                                   "AddText", "Entity");
  }
};

class DispatchLayers final : public CadLayers, Items<CadLayer, DispatchLayer> {
 public:
  explicit DispatchLayers(DispatchObjectPtr object, std::string role)
      : Items(std::move(object), std::move(role), "Layer") {}
  int Count() override { return CountItems(); }
  std::shared_ptr<CadLayer> Item(int index) override { return ItemAt(index); }
  std::shared_ptr<CadLayer> Add(const std::string& name) override { return Added({name}); }
};

class DispatchLinetypes final : public CadLinetypes, Items<CadLinetype, DispatchLinetype> {
 public:
  explicit DispatchLinetypes(DispatchObjectPtr object, std::string role)
      : Items(std::move(object), std::move(role), "Linetype") {}
  int Count() override { return CountItems(); }
  std::shared_ptr<CadLinetype> Item(int index) override { return ItemAt(index); }
  std::shared_ptr<CadLinetype> Add(const std::string& name) override { return Added({name}); }
  void Load(const std::string& name, const std::string& file) override {
    Call("Load", {name, file});
  }
};

class DispatchBlocks final : public CadBlocks, Items<CadBlock, DispatchBlock> {
 public:
  explicit DispatchBlocks(DispatchObjectPtr object, std::string role)
      : Items(std::move(object), std::move(role), "Block") {}
  int Count() override { return CountItems(); }
  std::shared_ptr<CadBlock> Item(int index) override { return ItemAt(index); }
  std::shared_ptr<CadBlock> Add(const TAcadPoint& origin, const std::string& name) override {
    return Added({PointValue(origin), name});
  }
};

class DispatchSelectionSet final : public CadSelectionSet, Items<CadEntity, DispatchEntity> {
 public:
  explicit DispatchSelectionSet(DispatchObjectPtr object, std::string role)
      : Items(std::move(object), std::move(role), "Entity") {}
  std::string Name() override { return TextOf("Name"); }
  void Delete() override { Call("Delete"); }
  int Count() override { return CountItems(); }
  CadEntityPtr Item(int index) override { return ItemAt(index); }
  void Clear() override { Call("Clear"); }
  // The filter arguments are optional in the object model; without a filter they are left
  // out rather than passed empty, which not every CAD accepts.
  void Select(int mode, const TAcadPoint& corner1, const TAcadPoint& corner2,
              const SelectionFilter& filter) override {
    if (filter.empty()) {
      Call("Select", {int32_t{mode}, PointValue(corner1), PointValue(corner2)});
      return;
    }
    auto [codes, values] = FilterValuesFor("Select", filter);
    Call("Select", {int32_t{mode}, PointValue(corner1), PointValue(corner2), codes, values});
  }
  void SelectOnScreen(const SelectionFilter& filter) override {
    if (filter.empty()) {
      Call("SelectOnScreen");
      return;
    }
    auto [codes, values] = FilterValuesFor("SelectOnScreen", filter);
    Call("SelectOnScreen", {codes, values});
  }
  void Highlight(bool on) override { Call("Highlight", {on}); }

 private:
  std::pair<DispatchValue, DispatchValue> FilterValuesFor(std::string_view member,
                                                          const SelectionFilter& filter) const {
    try {
      return FilterValues(filter);
    } catch (const CadError& bad) {
      throw CadError(Where(member) + ": " + bad.what());
    }
  }
};

class DispatchSelectionSets final : public CadSelectionSets,
                                    Items<CadSelectionSet, DispatchSelectionSet> {
 public:
  explicit DispatchSelectionSets(DispatchObjectPtr object, std::string role)
      : Items(std::move(object), std::move(role), "SelectionSet") {}
  int Count() override { return CountItems(); }
  std::shared_ptr<CadSelectionSet> Item(int index) override { return ItemAt(index); }
  std::shared_ptr<CadSelectionSet> Add(const std::string& name) override { return Added({name}); }
};

class DispatchUtility final : public CadUtility, Dispatched {
 public:
  using Dispatched::Dispatched;
  void Prompt(const std::string& text) override { Call("Prompt", {text}); }
  TAcadPoint GetPoint(const std::optional<TAcadPoint>& base, const std::string& prompt) override {
    return ToPoint(Call("GetPoint", {OptionalPointValue(base), prompt}), Where("GetPoint"));
  }
  double GetAngle(const std::optional<TAcadPoint>& base, const std::string& prompt) override {
    return ToDouble(Call("GetAngle", {OptionalPointValue(base), prompt}), Where("GetAngle"));
  }
  // The entity and the pick point come back through the first two (out) arguments: an object
  // slot and a VARIANT slot, as the member declares them.
  PickedEntity GetEntity(const std::string& prompt) override {
    std::vector<DispatchArgument> args{
        {DispatchObjectPtr{}, true}, {DispatchValue{}, true}, {prompt, false}};
    Call("GetEntity", args);
    PickedEntity picked;
    picked.entity =
        std::make_shared<DispatchEntity>(ToObject(args[0].value, Where("GetEntity")), "Entity");
    picked.pickPoint = ToPoint(args[1].value, Where("GetEntity"));
    return picked;
  }
};

class DispatchDocument final : public CadDocument, Dispatched {
 public:
  using Dispatched::Dispatched;
  std::shared_ptr<CadBlock> ModelSpace() override {
    return Wrapped<DispatchBlock>(Get("ModelSpace"), "ModelSpace", "ModelSpace");
  }
  std::shared_ptr<CadBlocks> Blocks() override {
    return Wrapped<DispatchBlocks>(Get("Blocks"), "Blocks", "Blocks");
  }
  std::shared_ptr<CadLayers> Layers() override {
    return Wrapped<DispatchLayers>(Get("Layers"), "Layers", "Layers");
  }
  std::shared_ptr<CadLinetypes> Linetypes() override {
    return Wrapped<DispatchLinetypes>(Get("Linetypes"), "Linetypes", "Linetypes");
  }
  std::shared_ptr<CadSelectionSets> SelectionSets() override {
    return Wrapped<DispatchSelectionSets>(Get("SelectionSets"), "SelectionSets", "SelectionSets");
  }
  std::shared_ptr<CadUtility> Utility() override {
    return Wrapped<DispatchUtility>(Get("Utility"), "Utility", "Utility");
  }
  void SendCommand(const std::string& text) override { Call("SendCommand", {text}); }
  void SetVariable(const std::string& name, const CadValue& value) override {
    Call("SetVariable", {name, SystemVariableValue(value, Where("SetVariable"))});
  }
  CadValue GetVariable(const std::string& name) override {
    return ToCadValue(Call("GetVariable", {name}), Where("GetVariable"));
  }
  void StartUndoMark() override { Call("StartUndoMark"); }
  void EndUndoMark() override { Call("EndUndoMark"); }
  void Regen(int which) override { Call("Regen", {int32_t{which}}); }
  CadEntityPtr ObjectIDToObject(int64_t id) override {
    return Wrapped<DispatchEntity>(Call("ObjectIDToObject", {id}), "ObjectIDToObject", "Entity");
  }
};

class DispatchState final : public CadState, Dispatched {
 public:
  using Dispatched::Dispatched;
  bool IsQuiescent() override { return ToBool(Get("IsQuiescent"), Where("IsQuiescent")); }
};

class DispatchApplication final : public CadApplication, Dispatched {
 public:
  using Dispatched::Dispatched;
  int64_t Hwnd() override { return ToInt64(Get("HWND"), Where("HWND")); }
  std::shared_ptr<CadDocument> ActiveDocument() override {
    return Wrapped<DispatchDocument>(Get("ActiveDocument"), "ActiveDocument", "Document");
  }
  std::shared_ptr<CadState> GetAcadState() override { return State("GetAcadState"); }
  std::shared_ptr<CadState> GetZcadState() override { return State("GetZcadState"); }
  std::shared_ptr<CadState> GetGcadState() override { return State("GetGcadState"); }

 private:
  std::shared_ptr<CadState> State(std::string_view member) const {
    return Wrapped<DispatchState>(Call(member), member, "State");
  }
};

}  // namespace

CadApplicationPtr WrapApplication(DispatchObjectPtr object) {
  return std::make_shared<DispatchApplication>(std::move(object), "Application");
}
CadDocumentPtr WrapDocument(DispatchObjectPtr object) {
  return std::make_shared<DispatchDocument>(std::move(object), "Document");
}
CadEntityPtr WrapEntity(DispatchObjectPtr object) {
  return std::make_shared<DispatchEntity>(std::move(object), "Entity");
}
std::shared_ptr<CadBlock> WrapBlock(DispatchObjectPtr object) {
  return std::make_shared<DispatchBlock>(std::move(object), "Block");
}
std::shared_ptr<CadSelectionSet> WrapSelectionSet(DispatchObjectPtr object) {
  return std::make_shared<DispatchSelectionSet>(std::move(object), "SelectionSet");
}
std::shared_ptr<CadUtility> WrapUtility(DispatchObjectPtr object) {
  return std::make_shared<DispatchUtility>(std::move(object), "Utility");
}

bool DispatchConnector::HasActiveObject(std::string_view progId) {
  try {
    return running_.GetActiveObject(progId) != nullptr;
  } catch (const CadError&) {
    return false;
  }
}

CadApplicationPtr DispatchConnector::GetActiveObject(std::string_view progId) {
  DispatchObjectPtr object;
  try {
    object = running_.GetActiveObject(progId);
  } catch (const CadError& failure) {
    throw CadError("GetActiveObject(" + std::string(progId) + "): " + failure.what());
  }
  if (!object) throw CadError("GetActiveObject(" + std::string(progId) + "): no object");
  return WrapApplication(std::move(object));
}

}  // namespace vorn::cad::dispatch
