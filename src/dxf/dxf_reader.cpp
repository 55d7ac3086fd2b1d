// The entity layer of the DXF reader: sections, tables, blocks and entities built from the
// tags of dxf_tags.h. Each entity kind is described by a table of the group codes it reads.
#include "dxf/dxf_reader.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <iterator>
#include <span>
#include <variant>

#include "dxf/code_page.h"
#include "dxf/dxf_tags.h"

namespace vorn::dxf {
namespace {

// ---------------------------------------------------------------------------------------------
// Text values

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The UTF-16 unit of a "\U+XXXX" escape starting at `pos`, or -1 when there is none.
long EscapeAt(std::string_view text, size_t pos) {
  if (text.substr(pos, 3) != "\\U+" || pos + 7 > text.size()) return -1;
  long value = 0;
  for (size_t i = pos + 3; i < pos + 7; ++i) {
    const int digit = HexDigit(text[i]);
    if (digit < 0) return -1;
    value = value * 16 + digit;
  }
  return value;
}

bool IsHighSurrogate(long unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(long unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Writers put characters their code page cannot hold as "\U+XXXX" (UTF-16 units; a pair of
// escapes for characters beyond the BMP). A lone surrogate stays as the literal text.
std::string DecodeUnicodeEscapes(std::string_view text) {
  if (text.find("\\U+") == std::string_view::npos) return std::string(text);
  std::string out;
  size_t pos = 0;
  while (pos < text.size()) {
    const long unit = EscapeAt(text, pos);
    if (unit < 0 || IsLowSurrogate(unit)) {
      out.push_back(text[pos++]);
      continue;
    }
    if (!IsHighSurrogate(unit)) {
      AppendUtf8(out, static_cast<char32_t>(unit));
      pos += 7;
      continue;
    }
    const long low = EscapeAt(text, pos + 7);
    if (!IsLowSurrogate(low)) {
      out.push_back(text[pos++]);
      continue;
    }
    AppendUtf8(out, static_cast<char32_t>(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00)));
    pos += 14;
  }
  return out;
}

bool IsAscii(std::string_view text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

// Turns stored text into UTF-8: the header's code page up to R2004 (AC1018), UTF-8 from R2007.
// Names repeat on almost every entity, so each distinct text is converted once per file.
class TextDecoder {
 public:
  TextDecoder() = default;
  explicit TextDecoder(std::string encoding) : encoding_(std::move(encoding)) {}

  std::string Decode(const DxfTag& tag, std::string_view value) {
    if (IsAscii(value)) return DecodeUnicodeEscapes(value);
    const auto known = converted_.find(value);
    if (known != converted_.end()) return known->second;
    try {
      std::string text = DecodeUnicodeEscapes(EncodingToUtf8(value, encoding_));
      converted_.emplace(std::string(value), text);
      return text;
    } catch (const CodePageError&) {
      throw DxfReadError(
          "line " + std::to_string(tag.valueLine()) + ": the text is not valid " + encoding_,
          tag.valueLine());
    }
  }

 private:
  std::string encoding_{kCadEncoding};
  std::map<std::string, std::string, std::less<>> converted_;
};

// ---------------------------------------------------------------------------------------------
// Group-code tables

template <class T>
struct Axis {
  TAcadPoint T::*point;
  int index;  // 0 x, 1 y, 2 z
};

template <class T>
using FieldTarget = std::variant<double T::*, int T::*, bool T::*, std::string T::*,
                                 std::optional<std::string> T::*, std::optional<int> T::*, Axis<T>>;

template <class T>
struct GroupField {
  int code;
  FieldTarget<T> target;
};

template <class T>
using FieldTable = std::span<const GroupField<T>>;

// Group 1 is free text and keeps its blanks; names and handles lose blanks at the ends.
std::string TextOf(const DxfTag& tag, TextDecoder& decoder) {
  return decoder.Decode(tag, tag.code == 1 ? std::string_view(tag.value) : TrimmedValue(tag));
}

double& Coordinate(TAcadPoint& point, int index) {
  return index == 0 ? point.x : (index == 1 ? point.y : point.z);
}

// GCC 12 at -O2 mistakes the member pointers of one record type, once inlined, for writes
// into another and reports array bounds it cannot see; the visitor only ever touches T.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
#endif
template <class T>
void Assign(T& object, const FieldTarget<T>& target, const DxfTag& tag, TextDecoder& decoder) {
  struct Visitor {
    T& object;
    const DxfTag& tag;
    TextDecoder& decoder;
    void operator()(double T::*member) const { object.*member = TagDouble(tag); }
    void operator()(int T::*member) const { object.*member = TagInt(tag); }
    void operator()(bool T::*member) const { object.*member = TagInt(tag) != 0; }
    void operator()(std::string T::*member) const { object.*member = TextOf(tag, decoder); }
    void operator()(std::optional<std::string> T::*member) const {
      object.*member = TextOf(tag, decoder);
    }
    void operator()(std::optional<int> T::*member) const { object.*member = TagInt(tag); }
    void operator()(const Axis<T>& axis) const {
      Coordinate(object.*(axis.point), axis.index) = TagDouble(tag);
    }
  };
  std::visit(Visitor{object, tag, decoder}, target);
}
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

template <class T>
bool ApplyField(T& object, FieldTable<T> table, const DxfTag& tag, TextDecoder& decoder) {
  for (const auto& field : table) {
    if (field.code == tag.code) {
      Assign(object, field.target, tag, decoder);
      return true;
    }
  }
  return false;
}

// The three groups base, base + 10, base + 20 of one point.
template <class T>
constexpr std::array<GroupField<T>, 3> PointFields(int base, TAcadPoint T::*point) {
  return {GroupField<T>{base, Axis<T>{point, 0}}, GroupField<T>{base + 10, Axis<T>{point, 1}},
          GroupField<T>{base + 20, Axis<T>{point, 2}}};
}

template <class T, size_t... N>
constexpr auto JoinFields(const std::array<GroupField<T>, N>&... parts) {
  std::array<GroupField<T>, (N + ...)> all{};
  size_t at = 0;
  ((std::copy(parts.begin(), parts.end(), all.begin() + static_cast<std::ptrdiff_t>(at)),
    at += parts.size()),
   ...);
  return all;
}

template <class T, class... Rest>
constexpr std::array<GroupField<T>, sizeof...(Rest)> Fields(Rest... fields) {
  return {GroupField<T>{fields}...};
}

constexpr auto kCommonFields =
    JoinFields(Fields<EntityCommon>(GroupField<EntityCommon>{5, &EntityCommon::handle},
                                    GroupField<EntityCommon>{8, &EntityCommon::layer},
                                    GroupField<EntityCommon>{6, &EntityCommon::lineType},
                                    GroupField<EntityCommon>{62, &EntityCommon::colour},
                                    GroupField<EntityCommon>{39, &EntityCommon::thickness},
                                    GroupField<EntityCommon>{67, &EntityCommon::paperSpace}),
               PointFields<EntityCommon>(210, &EntityCommon::extrusion));

constexpr auto kLineFields =
    JoinFields(PointFields<Line>(10, &Line::start), PointFields<Line>(11, &Line::end));

constexpr auto kCircleFields = JoinFields(PointFields<Circle>(10, &Circle::centre),
                                          Fields<Circle>(GroupField<Circle>{40, &Circle::radius}));

constexpr auto kArcFields =
    JoinFields(PointFields<Arc>(10, &Arc::centre),
               Fields<Arc>(GroupField<Arc>{40, &Arc::radius}, GroupField<Arc>{50, &Arc::startAngle},
                           GroupField<Arc>{51, &Arc::endAngle}));

constexpr auto kEllipseFields = JoinFields(
    PointFields<Ellipse>(10, &Ellipse::centre), PointFields<Ellipse>(11, &Ellipse::majorAxis),
    Fields<Ellipse>(GroupField<Ellipse>{40, &Ellipse::ratio},
                    GroupField<Ellipse>{41, &Ellipse::startParam},
                    GroupField<Ellipse>{42, &Ellipse::endParam}));

constexpr auto kTextFields = JoinFields(
    PointFields<Text>(10, &Text::position), PointFields<Text>(11, &Text::alignment),
    Fields<Text>(GroupField<Text>{40, &Text::height}, GroupField<Text>{1, &Text::text},
                 GroupField<Text>{50, &Text::rotation}, GroupField<Text>{41, &Text::widthFactor},
                 GroupField<Text>{72, &Text::horizontal}, GroupField<Text>{73, &Text::vertical},
                 GroupField<Text>{7, &Text::style}));

constexpr auto kInsertFields =
    JoinFields(PointFields<Insert>(10, &Insert::position),
               Fields<Insert>(GroupField<Insert>{2, &Insert::blockName},
                              GroupField<Insert>{41, Axis<Insert>{&Insert::scale, 0}},
                              GroupField<Insert>{42, Axis<Insert>{&Insert::scale, 1}},
                              GroupField<Insert>{43, Axis<Insert>{&Insert::scale, 2}},
                              GroupField<Insert>{50, &Insert::rotation}));

constexpr auto kPointFields = PointFields<Point>(10, &Point::position);

// The POLYLINE header keeps its elevation in the z of its dummy point.
constexpr auto kPolylineFields = Fields<Polyline>(GroupField<Polyline>{30, &Polyline::elevation},
                                                  GroupField<Polyline>{70, &Polyline::flags});

constexpr auto kVertexFields =
    JoinFields(PointFields<PolyVertex>(10, &PolyVertex::point),
               Fields<PolyVertex>(GroupField<PolyVertex>{42, &PolyVertex::bulge},
                                  GroupField<PolyVertex>{70, &PolyVertex::flags}));

constexpr auto kLwPolylineFields =
    Fields<LwPolyline>(GroupField<LwPolyline>{38, &LwPolyline::elevation});

constexpr auto kLayerFields =
    Fields<Layer>(GroupField<Layer>{2, &Layer::name}, GroupField<Layer>{62, &Layer::colour},
                  GroupField<Layer>{6, &Layer::lineType}, GroupField<Layer>{70, &Layer::flags});

constexpr auto kLineTypeFields = Fields<LineType>(
    GroupField<LineType>{2, &LineType::name}, GroupField<LineType>{3, &LineType::description},
    GroupField<LineType>{40, &LineType::patternLength});

constexpr auto kBlockFields = JoinFields(
    PointFields<Block>(10, &Block::base),
    Fields<Block>(GroupField<Block>{2, &Block::name}, GroupField<Block>{70, &Block::flags},
                  GroupField<Block>{8, &Block::layer}));

// ---------------------------------------------------------------------------------------------
// Records: one group-0 tag and the groups up to the next group 0

using Record = std::span<const DxfTag>;

std::string_view RecordType(Record record) { return TrimmedValue(record.front()); }

// Calls `visit` for the record's own groups, leaving out the type tag, application groups
// ("102 {ACAD_…" … "102 }") and extended data (codes from 1000), which belong to other
// programs and reuse codes the entity itself has.
template <class Visit>
void ForEachOwnGroup(Record record, Visit visit) {
  bool inApplicationGroup = false;
  for (const DxfTag& tag : record.subspan(1)) {
    if (tag.code == 102) {
      inApplicationGroup = TrimmedValue(tag).starts_with("{");
      continue;
    }
    if (inApplicationGroup || tag.code >= 1000) continue;
    visit(tag);
  }
}

template <class T>
T ParseFields(Record record, FieldTable<T> table, TextDecoder& decoder, T object = {}) {
  ForEachOwnGroup(record, [&](const DxfTag& tag) { ApplyField(object, table, tag, decoder); });
  return object;
}

template <class T>
Entity ParseEntity(Record record, FieldTable<T> table, TextDecoder& decoder) {
  Entity entity;
  T data;
  ForEachOwnGroup(record, [&](const DxfTag& tag) {
    if (!ApplyField<EntityCommon>(entity.common, kCommonFields, tag, decoder)) {
      ApplyField(data, table, tag, decoder);
    }
  });
  entity.data = std::move(data);
  return entity;
}

[[noreturn]] void Fail(const DxfTag& tag, const std::string& what) {
  throw DxfReadError("line " + std::to_string(tag.line) + ": " + what, tag.line);
}

// The vertices of an LWPOLYLINE are repeated groups: each 10 opens a vertex, the 20 and 42
// after it belong to that vertex.
Entity ParseLwPolyline(Record record, TextDecoder& decoder) {
  Entity entity;
  LwPolyline polyline;
  ForEachOwnGroup(record, [&](const DxfTag& tag) {
    if (tag.code == 10) {
      polyline.vertices.push_back(LwVertex{TagDouble(tag), 0.0, 0.0});
    } else if (tag.code == 20 || tag.code == 42) {
      if (polyline.vertices.empty()) Fail(tag, "LWPOLYLINE vertex group before its group 10");
      (tag.code == 20 ? polyline.vertices.back().y : polyline.vertices.back().bulge) =
          TagDouble(tag);
    } else if (tag.code == 70) {
      polyline.closed = (TagInt(tag) & 1) != 0;
    } else if (!ApplyField<EntityCommon>(entity.common, kCommonFields, tag, decoder)) {
      ApplyField<LwPolyline>(polyline, kLwPolylineFields, tag, decoder);
    }
  });
  entity.data = std::move(polyline);
  return entity;
}

bool HasFollowingAttributes(Record record) {
  for (const DxfTag& tag : record.subspan(1)) {
    if (tag.code == 66) return TagInt(tag) == 1;
  }
  return false;
}

// ---------------------------------------------------------------------------------------------
// The tag stream

class TagCursor {
 public:
  TagCursor(const std::vector<DxfTag>& tags, int lastLine) : tags_(tags), lastLine_(lastLine) {}

  bool AtEnd() const { return pos_ >= tags_.size(); }
  const DxfTag& Peek() const { return tags_[pos_]; }
  const DxfTag& Next() { return tags_[pos_++]; }
  int LastLine() const { return lastLine_; }

  bool AtRecord(std::string_view type) const { return !AtEnd() && IsTag(Peek(), 0, type); }

  // The record that starts at the current group 0.
  Record TakeRecord() {
    const size_t start = pos_++;
    while (pos_ < tags_.size() && tags_[pos_].code != 0) ++pos_;
    return Record(tags_).subspan(start, pos_ - start);
  }

  [[noreturn]] void FailAtEnd(const std::string& what) const {
    throw DxfReadError("line " + std::to_string(lastLine_) + ": " + what, lastLine_);
  }

 private:
  const std::vector<DxfTag>& tags_;
  size_t pos_ = 0;
  int lastLine_;
};

bool IsStructureMarker(std::string_view type) {
  return type == "SECTION" || type == "ENDSEC" || type == "EOF" || type == "TABLE" ||
         type == "ENDTAB" || type == "BLOCK" || type == "ENDBLK";
}

struct EntitySink {
  std::vector<Entity>& entities;
  std::map<std::string, int>& skipped;
};

void SkipFollowingAttributes(TagCursor& cursor, EntitySink sink) {
  while (cursor.AtRecord("ATTRIB")) {
    cursor.TakeRecord();
    ++sink.skipped["ATTRIB"];
  }
  if (cursor.AtRecord("SEQEND")) cursor.TakeRecord();
}

// Polygon and polyface meshes share the POLYLINE record but are surfaces, not outlines.
std::optional<std::string> MeshKind(int flags) {
  if (flags & 64) return "POLYLINE (polyface mesh)";
  if (flags & 16) return "POLYLINE (polygon mesh)";
  return std::nullopt;
}

void ReadPolyline(TagCursor& cursor, Record header, TextDecoder& decoder, EntitySink sink) {
  Entity entity = ParseEntity<Polyline>(header, kPolylineFields, decoder);
  auto& polyline = std::get<Polyline>(entity.data);
  while (cursor.AtRecord("VERTEX")) {
    polyline.vertices.push_back(
        ParseFields<PolyVertex>(cursor.TakeRecord(), kVertexFields, decoder));
  }
  // A missing SEQEND is tolerated: the next entity ends the vertex list as well.
  if (cursor.AtRecord("SEQEND")) cursor.TakeRecord();
  if (const auto mesh = MeshKind(polyline.flags)) {
    ++sink.skipped[*mesh];
    return;
  }
  sink.entities.push_back(std::move(entity));
}

// Saving draws an ellipse as points of its curve (R12 has no ELLIPSE): one whose curve reaches
// beyond the range of numbers would open and then never save.
Entity CheckedEllipse(Entity entity, const DxfTag& start) {
  const auto& ellipse = std::get<Ellipse>(entity.data);
  const auto largest = [](const TAcadPoint& p) {
    return std::max({std::abs(p.x), std::abs(p.y), std::abs(p.z)});
  };
  // The minor axis is the major one turned about the extrusion and scaled by the ratio.
  const double reach =
      largest(ellipse.centre) + largest(ellipse.majorAxis) * (1.0 + 2.0 * std::abs(ellipse.ratio));
  if (!std::isfinite(reach)) Fail(start, "the ELLIPSE reaches beyond the range of numbers");
  return entity;
}

void ReadEntity(TagCursor& cursor, TextDecoder& decoder, EntitySink sink) {
  const Record record = cursor.TakeRecord();
  const std::string_view type = RecordType(record);
  auto add = [&](Entity entity) { sink.entities.push_back(std::move(entity)); };
  if (type == "LINE") {
    add(ParseEntity<Line>(record, kLineFields, decoder));
  } else if (type == "CIRCLE") {
    add(ParseEntity<Circle>(record, kCircleFields, decoder));
  } else if (type == "ARC") {
    add(ParseEntity<Arc>(record, kArcFields, decoder));
  } else if (type == "ELLIPSE") {
    add(CheckedEllipse(ParseEntity<Ellipse>(record, kEllipseFields, decoder), record.front()));
  } else if (type == "TEXT") {
    add(ParseEntity<Text>(record, kTextFields, decoder));
  } else if (type == "POINT") {
    add(ParseEntity<Point>(record, kPointFields, decoder));
  } else if (type == "LWPOLYLINE") {
    add(ParseLwPolyline(record, decoder));
  } else if (type == "INSERT") {
    add(ParseEntity<Insert>(record, kInsertFields, decoder));
    if (HasFollowingAttributes(record)) SkipFollowingAttributes(cursor, sink);
  } else if (type == "POLYLINE") {
    ReadPolyline(cursor, record, decoder, sink);
  } else {
    ++sink.skipped[std::string(type)];
  }
}

// Entities up to the group 0 `end` (left for the caller), in a section or a block.
void ReadEntities(TagCursor& cursor, std::string_view end, const std::string& where,
                  TextDecoder& decoder, EntitySink sink) {
  while (true) {
    if (cursor.AtEnd())
      cursor.FailAtEnd("the file ends inside " + where + " (no " + std::string(end) + ")");
    const DxfTag& tag = cursor.Peek();
    if (tag.code != 0) Fail(tag, "an entity (group 0) was expected in " + where);
    const std::string_view type = TrimmedValue(tag);
    if (type == end) return;
    if (IsStructureMarker(type)) {
      Fail(tag, std::string(type) + " found in " + where + ", which has no " + std::string(end));
    }
    ReadEntity(cursor, decoder, sink);
  }
}

// ---------------------------------------------------------------------------------------------
// Sections

struct HeaderVariable {
  std::string name;
  std::vector<const DxfTag*> values;
};

void ExpectNoSectionMarker(const DxfTag& tag, const std::string& section) {
  if (IsTag(tag, 0, "SECTION") || IsTag(tag, 0, "EOF")) {
    Fail(tag, std::string(TrimmedValue(tag)) + " found inside the " + section +
                  " section, which has no ENDSEC");
  }
}

std::vector<HeaderVariable> CollectHeader(TagCursor& cursor) {
  std::vector<HeaderVariable> variables;
  while (true) {
    if (cursor.AtEnd()) cursor.FailAtEnd("the file ends inside the HEADER section (no ENDSEC)");
    const DxfTag& tag = cursor.Next();
    if (IsTag(tag, 0, "ENDSEC")) return variables;
    ExpectNoSectionMarker(tag, "HEADER");
    if (tag.code == 9) {
      variables.push_back(HeaderVariable{std::string(TrimmedValue(tag)), {}});
    } else if (!variables.empty()) {
      variables.back().values.push_back(&tag);
    }
  }
}

bool StoresUtf8(std::string_view version) { return version >= "AC1021"; }

// The code page must be one the converter knows both ways, even where the text is stored as
// UTF-8: a name of the right shape that it does not know ("ANSI_9491252") would otherwise fail
// only at the first non-ASCII text, or when the drawing that opened is saved.
TextDecoder DecoderFor(const Drawing& drawing, const DxfTag* codePageTag) {
  try {
    const std::string encoding = EncodingForDwgCodePage(drawing.codePage);
    EncodingToUtf8("0", encoding);
    Utf8ToEncoding("0", encoding);
    return TextDecoder(StoresUtf8(drawing.version) ? "UTF-8" : encoding);
  } catch (const CodePageError&) {
    const int line = codePageTag ? codePageTag->valueLine() : 1;
    throw DxfReadError("line " + std::to_string(line) + ": unknown code page " + drawing.codePage +
                           " in $DWGCODEPAGE",
                       line);
  }
}

// Sets the version and code page, then keeps the other variables as text ("x,y,z" for
// points) in the encoding those two determine.
TextDecoder ReadHeader(TagCursor& cursor, Drawing& drawing) {
  const std::vector<HeaderVariable> variables = CollectHeader(cursor);
  const DxfTag* codePageTag = nullptr;
  for (const auto& variable : variables) {
    if (variable.values.empty()) continue;
    const std::string value(TrimmedValue(*variable.values.front()));
    if (variable.name == "$ACADVER") drawing.version = value;
    if (variable.name == "$DWGCODEPAGE") {
      drawing.codePage = value;
      codePageTag = variable.values.front();
    }
  }
  TextDecoder decoder = DecoderFor(drawing, codePageTag);
  for (const auto& variable : variables) {
    if (variable.name == "$ACADVER" || variable.name == "$DWGCODEPAGE") continue;
    std::string text;
    for (const DxfTag* value : variable.values) {
      if (!text.empty()) text += ',';
      text += decoder.Decode(*value, TrimmedValue(*value));
    }
    drawing.headerTexts[variable.name] = text;
  }
  return decoder;
}

LineType ParseLineType(Record record, TextDecoder& decoder) {
  LineType lineType;
  ForEachOwnGroup(record, [&](const DxfTag& tag) {
    if (tag.code == 49) {
      lineType.elements.push_back(TagDouble(tag));
    } else {
      ApplyField<LineType>(lineType, kLineTypeFields, tag, decoder);
    }
  });
  return lineType;
}

void ReadTableEntries(TagCursor& cursor, std::string_view table, TextDecoder& decoder,
                      Drawing& drawing) {
  while (true) {
    if (cursor.AtEnd())
      cursor.FailAtEnd("the file ends inside the " + std::string(table) + " table (no ENDTAB)");
    const DxfTag& tag = cursor.Peek();
    const std::string_view type = TrimmedValue(tag);
    if (tag.code == 0 && type == "ENDTAB") {
      cursor.TakeRecord();
      return;
    }
    if (tag.code == 0 && IsStructureMarker(type)) {
      Fail(tag, std::string(type) + " found inside the " + std::string(table) +
                    " table, which has no ENDTAB");
    }
    if (tag.code != 0) Fail(tag, "a table entry (group 0) was expected");
    const Record record = cursor.TakeRecord();
    if (type == "LAYER" && table == "LAYER") {
      drawing.layers.push_back(ParseFields<Layer>(record, kLayerFields, decoder));
    } else if (type == "LTYPE" && table == "LTYPE") {
      drawing.lineTypes.push_back(ParseLineType(record, decoder));
    }
  }
}

void ReadTables(TagCursor& cursor, TextDecoder& decoder, Drawing& drawing) {
  while (true) {
    if (cursor.AtEnd()) cursor.FailAtEnd("the file ends inside the TABLES section (no ENDSEC)");
    const DxfTag& tag = cursor.Peek();
    if (IsTag(tag, 0, "ENDSEC")) {
      cursor.Next();
      return;
    }
    ExpectNoSectionMarker(tag, "TABLES");
    if (!IsTag(tag, 0, "TABLE")) Fail(tag, "TABLE expected in the TABLES section");
    const Record header = cursor.TakeRecord();
    if (header.size() < 2 || header[1].code != 2) Fail(tag, "TABLE without its name (group 2)");
    ReadTableEntries(cursor, TrimmedValue(header[1]), decoder, drawing);
  }
}

void ReadBlocks(TagCursor& cursor, TextDecoder& decoder, Drawing& drawing) {
  while (true) {
    if (cursor.AtEnd()) cursor.FailAtEnd("the file ends inside the BLOCKS section (no ENDSEC)");
    const DxfTag& tag = cursor.Peek();
    if (IsTag(tag, 0, "ENDSEC")) {
      cursor.Next();
      return;
    }
    ExpectNoSectionMarker(tag, "BLOCKS");
    if (!IsTag(tag, 0, "BLOCK")) Fail(tag, "BLOCK expected in the BLOCKS section");
    Block block = ParseFields<Block>(cursor.TakeRecord(), kBlockFields, decoder);
    ReadEntities(cursor, "ENDBLK", "block " + block.name, decoder,
                 EntitySink{block.entities, drawing.skippedEntities});
    cursor.TakeRecord();
    drawing.blocks.push_back(std::move(block));
  }
}

void SkipSection(TagCursor& cursor, const std::string& name) {
  while (true) {
    if (cursor.AtEnd()) {
      cursor.FailAtEnd("the file ends inside the " + name + " section (no ENDSEC)");
    }
    const DxfTag& tag = cursor.Next();
    if (IsTag(tag, 0, "ENDSEC")) return;
    ExpectNoSectionMarker(tag, name);
  }
}

void ReadSection(TagCursor& cursor, const DxfTag& start, Drawing& drawing, TextDecoder& decoder) {
  if (cursor.AtEnd() || cursor.Peek().code != 2) Fail(start, "SECTION without its name (group 2)");
  const std::string name(TrimmedValue(cursor.Next()));
  if (name == "HEADER") {
    decoder = ReadHeader(cursor, drawing);
  } else if (name == "TABLES") {
    ReadTables(cursor, decoder, drawing);
  } else if (name == "BLOCKS") {
    ReadBlocks(cursor, decoder, drawing);
  } else if (name == "ENTITIES") {
    ReadEntities(cursor, "ENDSEC", "the ENTITIES section", decoder,
                 EntitySink{drawing.entities, drawing.skippedEntities});
    cursor.Next();
  } else {
    SkipSection(cursor, name);
  }
}

std::string Describe(const DxfTag& tag) {
  std::string value(TrimmedValue(tag).substr(0, 40));
  for (char& c : value) {
    if (static_cast<unsigned char>(c) < 0x20) c = '?';
  }
  return "group " + std::to_string(tag.code) + " \"" + value + "\"";
}

Drawing ParseDrawing(const std::vector<DxfTag>& tags, int lastLine) {
  Drawing drawing;
  TextDecoder decoder;
  TagCursor cursor(tags, lastLine);
  if (cursor.AtEnd()) throw DxfReadError("the file is empty", 1);
  while (true) {
    if (cursor.AtEnd()) cursor.FailAtEnd("the file ends without EOF");
    const DxfTag& tag = cursor.Next();
    if (IsTag(tag, 0, "EOF")) return drawing;
    if (!IsTag(tag, 0, "SECTION")) Fail(tag, "SECTION or EOF expected, found " + Describe(tag));
    ReadSection(cursor, tag, drawing, decoder);
  }
}

}  // namespace

Drawing ReadDxf(std::string_view bytes) {
  std::vector<DxfTag> tags = ReadDxfTags(bytes);
  const int lastLine = tags.empty() ? 1 : tags.back().valueLine();
  // Comments (999) may stand anywhere and carry nothing the drawing needs.
  std::erase_if(tags, [](const DxfTag& tag) { return tag.code == 999; });
  return ParseDrawing(tags, lastLine);
}

Drawing ReadDxfFile(const std::filesystem::path& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    throw DxfReadError(path.string() + ": no such drawing file", 0);
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) throw DxfReadError(path.string() + ": the file cannot be opened", 0);
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (in.bad()) throw DxfReadError(path.string() + ": the file cannot be read", 0);
  try {
    return ReadDxf(bytes);
  } catch (const DxfReadError& error) {
    throw DxfReadError(path.string() + ": " + error.what(), error.line());
  }
}

std::string SkippedEntitiesNote(const Drawing& drawing) {
  std::string note;
  for (const auto& [type, count] : drawing.skippedEntities) {
    if (!note.empty()) note += ", ";
    note += std::to_string(count) + " " + type;
  }
  return note.empty() ? note : note + " not read";
}

}  // namespace vorn::dxf
