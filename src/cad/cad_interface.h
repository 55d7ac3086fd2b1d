// The CAD object model the system drives: typed interfaces named after the automation members
// it calls (application, document, collections, entities, selection sets, Utility). Backends:
// the built-in drawing host (cad/host) and, on Windows, late-bound COM dispatch. Each method
// maps onto one member of the same name (case-insensitive); `Set...` methods are property puts.
// Every call may throw CadError, as any COM call may fail.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

#include "geometry/records.h"

namespace vorn::cad {

// A failed CAD call: the CAD rejected it, the member does not apply to the object, the user
// cancelled a pick, or the object no longer exists.
class CadError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A system variable's value as the automation interface passes it (a VARIANT): nothing, an
// integer, a real, a text or a point.
using CadValue = std::variant<std::monostate, int32_t, double, std::string, TAcadPoint>;

// The value as a number: integers and reals convert, anything else throws CadError.
double CadValueToDouble(const CadValue& value);
// The value as a point; throws CadError when it is not one.
TAcadPoint CadValueToPoint(const CadValue& value);

// Entity class names as `EntityName` reports them.
inline constexpr const char* kAcDbLine = "AcDbLine";
inline constexpr const char* kAcDbCircle = "AcDbCircle";
inline constexpr const char* kAcDbArc = "AcDbArc";
inline constexpr const char* kAcDbEllipse = "AcDbEllipse";
inline constexpr const char* kAcDbPolyline = "AcDbPolyline";
inline constexpr const char* kAcDb2dPolyline = "AcDb2dPolyline";
inline constexpr const char* kAcDb3dPolyline = "AcDb3dPolyline";
inline constexpr const char* kAcDbText = "AcDbText";
inline constexpr const char* kAcDbBlockReference = "AcDbBlockReference";
inline constexpr const char* kAcDbPoint = "AcDbPoint";

// `Select` modes.
inline constexpr int kSelectCrossing = 1;
inline constexpr int kSelectLast = 4;

// A drawing entity. A member that the entity's class lacks throws CadError. Angles are radians.
class CadEntity {
 public:
  virtual ~CadEntity() = default;

  virtual std::string EntityName() = 0;
  virtual int64_t ObjectID() = 0;
  virtual std::string Handle() = 0;
  virtual std::string Layer() = 0;
  virtual std::string Name() = 0;  // block reference: the block's name
  virtual bool Closed() = 0;
  virtual TAcadPoint InsertionPoint() = 0;
  virtual TAcadPoint StartPoint() = 0;
  virtual TAcadPoint EndPoint() = 0;
  virtual TAcadPoint center() = 0;
  virtual double Radius() = 0;
  // Arc: angles of the end points. Ellipse: angles of the end points from the major axis.
  virtual double StartAngle() = 0;
  virtual double EndAngle() = 0;
  virtual double RadiusRatio() = 0;
  // Ellipse: the major axis from the centre, and the start and end parameters.
  virtual TAcadPoint MajorAxis() = 0;
  virtual double StartParameter() = 0;
  virtual double EndParameter() = 0;
  virtual double Thickness() = 0;
  virtual double Elevation() = 0;
  virtual TAcadPoint Normal() = 0;
  // Lightweight polyline: x, y per vertex; 2D and 3D polylines: x, y, z; point: x, y, z.
  virtual std::vector<double> Coordinates() = 0;
  // Vertex `index` (zero-based); z is 0 for a lightweight polyline.
  virtual TAcadPoint Coordinate(int index) = 0;
  virtual double GetBulge(int index) = 0;
  virtual std::string TextString() = 0;

  virtual int color() = 0;  // 256 = by layer
  virtual void SetColor(int colour) = 0;
  virtual double ScaleFactor() = 0;  // text width factor
  virtual void SetScaleFactor(double factor) = 0;
  virtual void Highlight(bool on) = 0;
  // The entities the object dissolves into, added to the drawing; the object itself stays.
  virtual std::vector<std::shared_ptr<CadEntity>> Explode() = 0;
  virtual void Delete() = 0;
};

using CadEntityPtr = std::shared_ptr<CadEntity>;

// A named table record (layer, line type) or other item of a collection.
class CadNamedObject {
 public:
  virtual ~CadNamedObject() = default;
  virtual std::string Name() = 0;
  virtual void Delete() = 0;
};

template <class T>
class CadCollection {
 public:
  virtual ~CadCollection() = default;
  virtual int Count() = 0;
  virtual std::shared_ptr<T> Item(int index) = 0;  // zero-based
};

class CadLayer : public CadNamedObject {};
class CadLinetype : public CadNamedObject {};

// Model space and block definitions: containers of entities.
class CadBlock : public CadNamedObject, public CadCollection<CadEntity> {
 public:
  virtual CadEntityPtr AddLine(const TAcadPoint& start, const TAcadPoint& end) = 0;
  virtual CadEntityPtr AddText(const std::string& text, const TAcadPoint& insertion,
                               double height) = 0;
};

class CadLayers : public CadCollection<CadLayer> {
 public:
  // The layer of that name, created when missing.
  virtual std::shared_ptr<CadLayer> Add(const std::string& name) = 0;
};

class CadLinetypes : public CadCollection<CadLinetype> {
 public:
  virtual std::shared_ptr<CadLinetype> Add(const std::string& name) = 0;
  // Loads a line type from a line-type file; throws CadError when it cannot.
  virtual void Load(const std::string& name, const std::string& file) = 0;
};

class CadBlocks : public CadCollection<CadBlock> {
 public:
  virtual std::shared_ptr<CadBlock> Add(const TAcadPoint& origin, const std::string& name) = 0;
};

// The group-code filter of a selection: codes 0 (entity type, e.g. "CIRCLE,TEXT") and 8
// (layer). Empty means no filter.
struct SelectionFilter {
  std::vector<int> codes;
  std::vector<std::string> values;
  bool empty() const { return codes.empty(); }
};

class CadSelectionSet : public CadNamedObject, public CadCollection<CadEntity> {
 public:
  virtual void Clear() = 0;
  // Adds entities by `mode` (kSelectLast, kSelectCrossing with the two corners).
  virtual void Select(int mode, const TAcadPoint& corner1, const TAcadPoint& corner2,
                      const SelectionFilter& filter = {}) = 0;
  // Lets the user select; throws CadError when the user cancels.
  virtual void SelectOnScreen(const SelectionFilter& filter = {}) = 0;
  virtual void Highlight(bool on) = 0;
};

class CadSelectionSets : public CadCollection<CadSelectionSet> {
 public:
  virtual std::shared_ptr<CadSelectionSet> Add(const std::string& name) = 0;
};

struct PickedEntity {
  CadEntityPtr entity;
  TAcadPoint pickPoint;
};

// User input and the command-line echo. Every input throws CadError when the user cancels.
class CadUtility {
 public:
  virtual ~CadUtility() = default;
  virtual void Prompt(const std::string& text) = 0;
  virtual TAcadPoint GetPoint(const std::optional<TAcadPoint>& base, const std::string& prompt) = 0;
  virtual double GetAngle(const std::optional<TAcadPoint>& base, const std::string& prompt) = 0;
  virtual PickedEntity GetEntity(const std::string& prompt) = 0;
};

class CadDocument {
 public:
  virtual ~CadDocument() = default;
  virtual std::shared_ptr<CadBlock> ModelSpace() = 0;
  virtual std::shared_ptr<CadBlocks> Blocks() = 0;
  virtual std::shared_ptr<CadLayers> Layers() = 0;
  virtual std::shared_ptr<CadLinetypes> Linetypes() = 0;
  virtual std::shared_ptr<CadSelectionSets> SelectionSets() = 0;
  virtual std::shared_ptr<CadUtility> Utility() = 0;
  // Types text into the command line; "\r" ends an answer. May return before the command ends.
  virtual void SendCommand(const std::string& text) = 0;
  virtual void SetVariable(const std::string& name, const CadValue& value) = 0;
  virtual CadValue GetVariable(const std::string& name) = 0;
  virtual void StartUndoMark() = 0;
  virtual void EndUndoMark() = 0;
  virtual void Regen(int which) = 0;
  virtual CadEntityPtr ObjectIDToObject(int64_t id) = 0;
};

// The object that `GetAcadState` and its kin return.
class CadState {
 public:
  virtual ~CadState() = default;
  virtual bool IsQuiescent() = 0;
};

class CadApplication {
 public:
  virtual ~CadApplication() = default;
  virtual int64_t Hwnd() = 0;  // member "HWND"
  virtual std::shared_ptr<CadDocument> ActiveDocument() = 0;
  virtual std::shared_ptr<CadState> GetAcadState() = 0;
  virtual std::shared_ptr<CadState> GetZcadState() = 0;
  virtual std::shared_ptr<CadState> GetGcadState() = 0;
};

using CadApplicationPtr = std::shared_ptr<CadApplication>;
using CadDocumentPtr = std::shared_ptr<CadDocument>;

}  // namespace vorn::cad
