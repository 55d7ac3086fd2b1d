// Saving a whole Drawing as R12 (AC1009) ASCII DXF, the version every CAD reads. Kinds R12
// does not have are written as their R12 equivalents: LWPOLYLINE as a 2D POLYLINE, ELLIPSE as
// a polyline through points of the ellipse.
#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <map>
#include <numbers>
#include <set>
#include <system_error>

#include "dxf/code_page.h"
#include "dxf/dxf_document.h"
#include "dxf/dxf_reader.h"
#include "dxf/file_replace.h"
#include "dxf/number_format.h"
#include "dxf/writer_support.h"

namespace vorn::dxf {
namespace {

constexpr std::string_view kDefaultCodePage = "ANSI_932";

std::string Upper(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return out;
}

// The blocks of the model and paper space layouts. R12 names them $MODEL_SPACE and
// $PAPER_SPACE; later versions name them *Model_Space and *Paper_Space, with *Paper_Space0 …
// for further layouts, which R12 cannot hold.
std::optional<std::string> R12LayoutName(std::string_view name) {
  const std::string upper = Upper(name);
  if (upper == "$MODEL_SPACE" || upper == "$PAPER_SPACE") return std::string(name);
  if (upper == "*MODEL_SPACE") return "$Model_Space";
  if (upper == "*PAPER_SPACE") return "$Paper_Space";
  return std::nullopt;
}

bool IsFurtherLayoutBlock(std::string_view name) {
  const std::string upper = Upper(name);
  return upper.starts_with("*PAPER_SPACE") && !R12LayoutName(name);
}

// ---------------------------------------------------------------------------------------------
// Handles

std::optional<unsigned long long> ParseHandle(std::string_view handle) {
  unsigned long long value = 0;
  const auto [end, ec] = std::from_chars(handle.data(), handle.data() + handle.size(), value, 16);
  // Handles near the top of the range would leave no room to number the rest after them.
  constexpr unsigned long long kLargestKept = 1ULL << 48;
  if (handle.empty() || ec != std::errc() || end != handle.data() + handle.size() || value == 0 ||
      value > kLargestKept) {
    return std::nullopt;
  }
  return value;
}

// Keeps the drawing's handles where they are usable and unique, and numbers everything else
// (entities without a handle, vertices, SEQEND) above the largest one.
class HandleAllocator {
 public:
  explicit HandleAllocator(const Drawing& drawing) {
    auto note = [&](const Entity& e) {
      if (const auto value = ParseHandle(e.common.handle)) next_ = std::max(next_, *value + 1);
    };
    std::for_each(drawing.entities.begin(), drawing.entities.end(), note);
    for (const auto& block : drawing.blocks) {
      std::for_each(block.entities.begin(), block.entities.end(), note);
    }
  }

  // The entity's own handle the first time it is seen, a fresh one otherwise.
  std::string ForEntity(const std::string& handle, int& assigned) {
    const auto value = ParseHandle(handle);
    if (value && used_.insert(*value).second) return HexHandle(*value);
    ++assigned;
    return Fresh();
  }
  std::string Fresh() {
    while (!used_.insert(next_).second) ++next_;
    return HexHandle(next_++);
  }
  std::string Seed() const { return HexHandle(next_); }

 private:
  unsigned long long next_ = 1;
  std::set<unsigned long long> used_;
};

// ---------------------------------------------------------------------------------------------
// The writer

// Header variables R12 has and the use of a drawing depends on: the base point it is inserted
// by, its extents and limits, and the scales of line types, texts and points. Others are left
// to the CAD's defaults, since their group codes are not kept with the drawing.
struct KeptHeaderVariable {
  std::string_view name;
  std::array<int, 3> codes;  // one per value; 0 where the variable has fewer
};
constexpr std::array<KeptHeaderVariable, 9> kKeptHeader{{{"$INSBASE", {10, 20, 30}},
                                                         {"$EXTMIN", {10, 20, 30}},
                                                         {"$EXTMAX", {10, 20, 30}},
                                                         {"$LIMMIN", {10, 20, 0}},
                                                         {"$LIMMAX", {10, 20, 0}},
                                                         {"$LTSCALE", {40, 0, 0}},
                                                         {"$TEXTSIZE", {40, 0, 0}},
                                                         {"$PDMODE", {70, 0, 0}},
                                                         {"$PDSIZE", {40, 0, 0}}}};

bool IsInt16(double value) {
  return value == std::trunc(value) && value >= std::numeric_limits<int16_t>::min() &&
         value <= std::numeric_limits<int16_t>::max();
}

// The numbers of a header text as the reader keeps it ("x,y,z"); none when one is not a number.
std::optional<std::vector<double>> HeaderNumbers(std::string_view text) {
  std::vector<double> numbers;
  while (true) {
    const size_t comma = text.find(',');
    std::string_view part = text.substr(0, comma);
    while (!part.empty() && part.front() == ' ') part.remove_prefix(1);
    while (!part.empty() && part.back() == ' ') part.remove_suffix(1);
    double value = 0.0;
    const auto [end, ec] = std::from_chars(part.data(), part.data() + part.size(), value);
    if (part.empty() || ec != std::errc() || end != part.data() + part.size() ||
        !std::isfinite(value)) {
      return std::nullopt;
    }
    numbers.push_back(value);
    if (comma == std::string_view::npos) return numbers;
    text.remove_prefix(comma + 1);
  }
}

bool IsWorldZ(const TAcadPoint& p) { return p.x == 0.0 && p.y == 0.0 && p.z == 1.0; }

class R12Writer {
 public:
  explicit R12Writer(const Drawing& drawing)
      : drawing_(drawing),
        codePage_(CodePageOf(drawing)),
        encoding_(EncodingOf(codePage_)),
        handles_(drawing) {}

  R12Output Write() {
    std::string entities = Captured([&] { WriteEntities(); });
    std::string blocks = Captured([&] { WriteBlocks(); });
    std::string tables = Captured([&] { WriteTables(); });
    WriteHeader();
    out_ += tables + blocks + entities;
    Group(0, "EOF");
    R12Output output{Utf8ToEncoding(out_, encoding_), notes_};
    return output;
  }

 private:
  static std::string CodePageOf(const Drawing& drawing) {
    if (drawing.codePage.empty()) return std::string(kDefaultCodePage);
    try {
      // A Unicode page has no R12 form; the CAD's own page carries the text instead.
      if (EncodingForDwgCodePage(drawing.codePage) == "UTF-8") return std::string(kDefaultCodePage);
    } catch (const CodePageError&) {
      throw DxfSaveError("the drawing's code page " + drawing.codePage + " is not known");
    }
    return drawing.codePage;
  }
  static std::string EncodingOf(const std::string& codePage) {
    std::string encoding = EncodingForDwgCodePage(codePage);
    try {
      Utf8ToEncoding("0", encoding);
    } catch (const CodePageError&) {
      throw DxfSaveError("the drawing's code page " + codePage + " cannot be written here");
    }
    return encoding;
  }

  // Runs `write` into a separate buffer, so later sections can be written first and the
  // tables can hold every name the entities use.
  template <class Write>
  std::string Captured(Write write) {
    std::string saved = std::move(out_);
    out_.clear();
    write();
    std::string captured = std::move(out_);
    out_ = std::move(saved);
    return captured;
  }

  void Group(int code, std::string_view value) { AppendGroup(out_, code, value); }
  // Names repeat on almost every entity; each distinct one is checked against the code page once.
  void Name(int code, const std::string& utf8) {
    auto known = escaped_.find(utf8);
    if (known == escaped_.end()) {
      known = escaped_.emplace(utf8, EscapeForEncoding(utf8, encoding_)).first;
    }
    Group(code, known->second);
  }
  void Number(int code, double value) { Group(code, FiniteNumberText(code, value, current_)); }
  void Flags(int code, int value) { Group(code, Int6(value)); }
  void Integer(int code, int value) { Group(code, std::to_string(value)); }
  void PointGroups(int base, const TAcadPoint& p) {
    Number(base, p.x);
    Number(base + 10, p.y);
    Number(base + 20, p.z);
  }
  void PointGroups2D(int base, double x, double y) {
    Number(base, x);
    Number(base + 10, y);
  }

  void WriteHeader() {
    Group(0, "SECTION");
    Group(2, "HEADER");
    Group(9, "$ACADVER");
    Group(1, "AC1009");
    Group(9, "$DWGCODEPAGE");
    Group(3, codePage_);
    for (const auto& variable : kKeptHeader) WriteKeptHeader(variable);
    Group(9, "$HANDLING");
    Flags(70, 1);
    Group(9, "$HANDSEED");
    Group(5, handles_.Seed());
    Group(0, "ENDSEC");
  }

  void WriteKeptHeader(const KeptHeaderVariable& variable) {
    const auto text = drawing_.headerTexts.find(std::string(variable.name));
    if (text == drawing_.headerTexts.end()) return;
    const auto numbers = HeaderNumbers(text->second);
    if (!numbers) return;
    const size_t wanted = static_cast<size_t>(
        std::count_if(variable.codes.begin(), variable.codes.end(), [](int c) { return c != 0; }));
    const bool integer = variable.codes[0] == 70;
    // A point written without its z (as some versions keep $INSBASE) is at z = 0.
    if (numbers->size() + (wanted == 3 ? 1 : 0) < wanted) return;
    // Group 70 holds a 16-bit integer: a fraction or a number beyond it is no value the
    // variable can have, and is left out rather than cut to one it never had.
    if (integer && !IsInt16((*numbers)[0])) return;
    Group(9, variable.name);
    for (size_t i = 0; i < wanted; ++i) {
      const double value = i < numbers->size() ? (*numbers)[i] : 0.0;
      if (integer) {
        Flags(variable.codes[i], static_cast<int>(value));
      } else {
        Number(variable.codes[i], value);
      }
    }
  }

  // ---- tables: every line type, layer and text style the entities name is defined
  void WriteTables() {
    Group(0, "SECTION");
    Group(2, "TABLES");
    for (const auto& layer : drawing_.layers) {
      if (!layer.lineType.empty() && !IsByName(layer.lineType)) {
        usedLineTypes_.insert(layer.lineType);
      }
    }
    WriteLineTypes();
    WriteLayers();
    WriteStyles();
    Group(0, "ENDSEC");
  }

  static bool IsByName(std::string_view lineType) {
    const std::string upper = Upper(lineType);
    return upper == "BYLAYER" || upper == "BYBLOCK";
  }

  void WriteLineTypes() {
    std::vector<LineType> lineTypes;
    std::set<std::string> defined;
    for (const auto& lineType : drawing_.lineTypes) {
      if (lineType.name.empty() || !defined.insert(Upper(lineType.name)).second) continue;
      lineTypes.push_back(lineType);
    }
    for (const auto& name : usedLineTypes_) {
      if (defined.insert(Upper(name)).second) lineTypes.push_back(LineType{name, "", 0.0, {}});
    }
    if (defined.insert("CONTINUOUS").second) {
      lineTypes.push_back(LineType{"CONTINUOUS", "Solid line", 0.0, {}});
    }
    OpenTable("LTYPE", lineTypes.size());
    for (const auto& lineType : lineTypes) WriteLineType(lineType);
    Group(0, "ENDTAB");
  }

  void WriteLineType(const LineType& lineType) {
    current_ = "line type " + lineType.name;
    Group(0, "LTYPE");
    Name(2, lineType.name);
    Flags(70, 0);
    Name(3, lineType.description);
    Flags(72, 65);
    Flags(73, static_cast<int>(lineType.elements.size()));
    Number(40, lineType.patternLength);
    for (double element : lineType.elements) Number(49, element);
  }

  void WriteLayers() {
    std::vector<Layer> layers;
    std::set<std::string> defined;
    for (const auto& layer : drawing_.layers) {
      if (!layer.name.empty() && defined.insert(Upper(layer.name)).second) layers.push_back(layer);
    }
    if (defined.insert("0").second) layers.insert(layers.begin(), Layer{"0", 7, "CONTINUOUS", 0});
    for (const auto& name : usedLayers_) {
      if (defined.insert(Upper(name)).second) layers.push_back(Layer{name, 7, "CONTINUOUS", 0});
    }
    OpenTable("LAYER", layers.size());
    for (const auto& layer : layers) {
      current_ = "layer " + layer.name;
      Group(0, "LAYER");
      Name(2, layer.name);
      Flags(70, layer.flags);
      Integer(62, layer.colour);
      Name(6, layer.lineType.empty() ? std::string("CONTINUOUS") : layer.lineType);
    }
    Group(0, "ENDTAB");
  }

  void WriteStyles() {
    std::set<std::string> defined{"STANDARD"};
    std::vector<std::string> styles{"STANDARD"};
    for (const auto& name : usedStyles_) {
      if (defined.insert(Upper(name)).second) styles.push_back(name);
    }
    OpenTable("STYLE", styles.size());
    for (const auto& name : styles) {
      Group(0, "STYLE");
      Name(2, name);
      Flags(70, 0);
      Number(40, 0.0);
      Number(41, 1.0);
      Number(50, 0.0);
      Flags(71, 0);
      Number(42, 2.5);
      Group(3, "txt");
      Group(4, "");
    }
    Group(0, "ENDTAB");
  }

  void OpenTable(std::string_view name, size_t entries) {
    Group(0, "TABLE");
    Group(2, name);
    Flags(70, static_cast<int>(entries));
  }

  // ---- blocks and entities
  void WriteBlocks() {
    Group(0, "SECTION");
    Group(2, "BLOCKS");
    for (const auto& block : drawing_.blocks) {
      if (IsFurtherLayoutBlock(block.name)) {
        if (!block.entities.empty()) ++notes_.layoutBlocksLeftOut;
        continue;
      }
      WriteBlock(block, R12LayoutName(block.name).value_or(block.name));
    }
    Group(0, "ENDSEC");
  }

  void WriteBlock(const Block& block, const std::string& name) {
    current_ = "block " + name;
    const std::string layer = UsedLayer(block.layer);
    Group(0, "BLOCK");
    Group(5, handles_.Fresh());
    Name(8, layer);
    Name(2, name);
    Flags(70, block.flags);
    PointGroups(10, block.base);
    Name(3, name);
    for (const auto& entity : block.entities) WriteEntity(entity);
    Group(0, "ENDBLK");
    Group(5, handles_.Fresh());
    Name(8, layer);
  }

  void WriteEntities() {
    Group(0, "SECTION");
    Group(2, "ENTITIES");
    for (const auto& entity : drawing_.entities) WriteEntity(entity);
    Group(0, "ENDSEC");
  }

  std::string UsedLayer(const std::string& layer) {
    const std::string name = layer.empty() ? std::string("0") : layer;
    usedLayers_.insert(name);
    return name;
  }

  void Open(std::string_view type, const EntityCommon& common) {
    current_ = std::string(type) + " " + common.handle;
    Group(0, type);
    Group(5, handles_.ForEntity(common.handle, notes_.handlesAssigned));
    Name(8, UsedLayer(common.layer));
    // An empty line type name names none: the entity keeps its layer's, as without group 6.
    if (common.lineType && !common.lineType->empty()) {
      if (!IsByName(*common.lineType)) usedLineTypes_.insert(*common.lineType);
      Name(6, *common.lineType);
    }
    if (common.colour) Integer(62, *common.colour);
    if (common.paperSpace) Flags(67, 1);
  }

  // Thickness and extrusion close every entity that has them.
  void Close(const EntityCommon& common, bool withThickness = true) {
    if (withThickness && common.thickness != 0.0) Number(39, common.thickness);
    if (!IsWorldZ(common.extrusion)) PointGroups(210, common.extrusion);
  }

  void WriteEntity(const Entity& entity) {
    std::visit([&](const auto& data) { Write(entity.common, data); }, entity.data);
  }

  void Write(const EntityCommon& common, const Line& line) {
    Open("LINE", common);
    PointGroups(10, line.start);
    PointGroups(11, line.end);
    Close(common);
  }
  void Write(const EntityCommon& common, const Circle& circle) {
    Open("CIRCLE", common);
    PointGroups(10, circle.centre);
    Number(40, circle.radius);
    Close(common);
  }
  void Write(const EntityCommon& common, const Arc& arc) {
    Open("ARC", common);
    PointGroups(10, arc.centre);
    Number(40, arc.radius);
    Number(50, arc.startAngle);
    Number(51, arc.endAngle);
    Close(common);
  }
  void Write(const EntityCommon& common, const Point& point) {
    Open("POINT", common);
    PointGroups(10, point.position);
    Close(common);
  }
  void Write(const EntityCommon& common, const Text& text) {
    Open("TEXT", common);
    PointGroups(10, text.position);
    Number(40, text.height);
    Name(1, text.text);
    if (text.rotation != 0.0) Number(50, text.rotation);
    if (text.widthFactor != 1.0) Number(41, text.widthFactor);
    if (!text.style.empty() && Upper(text.style) != "STANDARD") {
      usedStyles_.insert(text.style);
      Name(7, text.style);
    }
    if (text.horizontal != 0) Flags(72, text.horizontal);
    if (text.horizontal != 0 || text.vertical != 0 || text.alignment != TAcadPoint{}) {
      PointGroups(11, text.alignment);
    }
    if (text.vertical != 0) Flags(73, text.vertical);
    Close(common);
  }
  void Write(const EntityCommon& common, const Insert& insert) {
    Open("INSERT", common);
    Name(2, insert.blockName);
    PointGroups(10, insert.position);
    if (insert.scale.x != 1.0) Number(41, insert.scale.x);
    if (insert.scale.y != 1.0) Number(42, insert.scale.y);
    if (insert.scale.z != 1.0) Number(43, insert.scale.z);
    if (insert.rotation != 0.0) Number(50, insert.rotation);
    Close(common);
  }
  void Write(const EntityCommon& common, const Polyline& polyline) {
    OpenPolyline(common, polyline.flags, polyline.elevation);
    const bool is3D = (polyline.flags & 8) != 0;
    for (const auto& vertex : polyline.vertices) {
      Vertex(common, vertex.point, vertex.bulge, vertex.flags, is3D || vertex.point.z != 0.0);
    }
    CloseSequence(common);
  }
  void Write(const EntityCommon& common, const LwPolyline& polyline) {
    OpenPolyline(common, polyline.closed ? 1 : 0, polyline.elevation);
    for (const auto& vertex : polyline.vertices) {
      Vertex(common, {vertex.x, vertex.y, 0.0}, vertex.bulge, 0, false);
    }
    CloseSequence(common);
  }
  void Write(const EntityCommon& common, const Ellipse& ellipse) {
    ++notes_.ellipsesAsPolylines;
    const EllipsePoints sample = SampleEllipse(ellipse, common.extrusion);
    // In the world plane the outline is an ordinary 2D polyline at the centre's height;
    // tilted ellipses keep their world points in a 3D polyline.
    const bool flat = IsWorldZ(common.extrusion) && ellipse.majorAxis.z == 0.0;
    EntityCommon outline = common;
    outline.extrusion = {0, 0, 1};
    if (!flat) outline.thickness = 0.0;
    const int flags = (sample.closed ? 1 : 0) | (flat ? 0 : 8);
    OpenPolyline(outline, flags, flat ? ellipse.centre.z : 0.0);
    for (const auto& p : sample.points) {
      Vertex(outline, flat ? TAcadPoint{p.x, p.y, 0.0} : p, 0.0, flat ? 0 : 32, !flat);
    }
    CloseSequence(outline);
  }

  void OpenPolyline(const EntityCommon& common, int flags, double elevation) {
    Open("POLYLINE", common);
    Flags(66, 1);
    PointGroups(10, {0.0, 0.0, elevation});
    Flags(70, flags);
    Close(common);
  }
  void Vertex(const EntityCommon& common, const TAcadPoint& p, double bulge, int flags,
              bool withZ) {
    Group(0, "VERTEX");
    Group(5, handles_.Fresh());
    Name(8, UsedLayer(common.layer));
    if (withZ) {
      PointGroups(10, p);
    } else {
      PointGroups2D(10, p.x, p.y);
    }
    if (bulge != 0.0) Number(42, bulge);
    if (flags != 0) Flags(70, flags);
  }
  void CloseSequence(const EntityCommon& common) {
    Group(0, "SEQEND");
    Group(5, handles_.Fresh());
    Name(8, UsedLayer(common.layer));
  }

  const Drawing& drawing_;
  std::string codePage_;
  std::string encoding_;
  HandleAllocator handles_;
  R12WriteNotes notes_;
  std::string out_;
  std::string current_;  // what is being written, for error messages
  std::map<std::string, std::string> escaped_;
  std::set<std::string> usedLayers_, usedLineTypes_, usedStyles_;
};

}  // namespace

std::string R12WriteNotes::Describe() const {
  std::string text;
  auto add = [&](int count, const std::string& what) {
    if (count == 0) return;
    if (!text.empty()) text += "; ";
    text += std::to_string(count) + " " + what;
  };
  add(ellipsesAsPolylines, "ellipse(s) written as polylines");
  add(layoutBlocksLeftOut, "layout block(s) with entities left out");
  add(handlesAssigned, "entity handle(s) renumbered");
  return text;
}

R12Output WriteDrawingR12WithNotes(const Drawing& drawing) {
  try {
    return R12Writer(drawing).Write();
  } catch (const CodePageError& error) {
    throw DxfSaveError(std::string("the drawing's text cannot be written: ") + error.what());
  }
}

std::string WriteDrawingR12(const Drawing& drawing) {
  return WriteDrawingR12WithNotes(drawing).bytes;
}

R12WriteNotes SaveDrawingR12(const Drawing& drawing, const std::filesystem::path& path) {
  const R12Output output = WriteDrawingR12WithNotes(drawing);
  ReplaceFileContents(path, output.bytes);
  return output.notes;
}

}  // namespace vorn::dxf
