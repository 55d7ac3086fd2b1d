// A whole drawing as the DXF reader delivers it and the drawing writer saves it: layers,
// line types, blocks and entities. Text is UTF-8; coordinates are in drawing units.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "geometry/records.h"

namespace vorn::dxf {

// Where an object stood in the file it was read from: the index of its record's first group in
// the file's tags (drawing_source.h); unset for objects made since. It is provenance, not
// content, so it takes no part in comparing two objects.
struct SourceLink {
  std::optional<size_t> tag;
  friend bool operator==(const SourceLink&, const SourceLink&) { return true; }
};

struct DrawingSource;

// The whole file behind a drawing that was read, shared by its copies; also no part of the
// drawing's content.
struct SourceFile {
  std::shared_ptr<const DrawingSource> file;
  friend bool operator==(const SourceFile&, const SourceFile&) { return true; }
};

struct Layer {
  std::string name;
  int colour = 7;  // ACI; negative when the layer is off
  std::string lineType = "CONTINUOUS";
  int flags = 0;
  SourceLink source{};
  friend bool operator==(const Layer&, const Layer&) = default;
};

struct LineType {
  std::string name;
  std::string description;
  double patternLength = 0.0;
  std::vector<double> elements;  // dash > 0, gap < 0, dot 0
  SourceLink source{};
  friend bool operator==(const LineType&, const LineType&) = default;
};

// Properties every entity carries.
struct EntityCommon {
  std::string handle;  // hex text; empty when the file had none
  std::string layer = "0";
  std::optional<std::string> lineType;  // BYLAYER when unset
  std::optional<int> colour;            // BYLAYER when unset
  double thickness = 0.0;               // 39
  TAcadPoint extrusion{0, 0, 1};        // 210/220/230
  bool paperSpace = false;              // 67 = 1
  friend bool operator==(const EntityCommon&, const EntityCommon&) = default;
};

struct Line {
  TAcadPoint start, end;
  friend bool operator==(const Line&, const Line&) = default;
};
struct Circle {
  TAcadPoint centre;
  double radius = 0.0;
  friend bool operator==(const Circle&, const Circle&) = default;
};
struct Arc {
  TAcadPoint centre;
  double radius = 0.0;
  double startAngle = 0.0;  // degrees
  double endAngle = 0.0;    // degrees
  friend bool operator==(const Arc&, const Arc&) = default;
};
struct Ellipse {
  TAcadPoint centre;
  TAcadPoint majorAxis;  // relative to the centre
  double ratio = 1.0;
  double startParam = 0.0;
  double endParam = 6.283185307179586;
  friend bool operator==(const Ellipse&, const Ellipse&) = default;
};
struct LwVertex {
  double x = 0.0, y = 0.0;
  double bulge = 0.0;
  friend bool operator==(const LwVertex&, const LwVertex&) = default;
};
struct LwPolyline {
  double elevation = 0.0;  // 38
  bool closed = false;     // 70 bit 1
  std::vector<LwVertex> vertices;
  friend bool operator==(const LwPolyline&, const LwPolyline&) = default;
};
struct PolyVertex {
  TAcadPoint point;
  double bulge = 0.0;
  int flags = 0;
  friend bool operator==(const PolyVertex&, const PolyVertex&) = default;
};
// The R12 POLYLINE: 2D (elevation in the header's z) or 3D (flag 8).
struct Polyline {
  int flags = 0;  // 1 closed, 8 3D polyline
  double elevation = 0.0;
  std::vector<PolyVertex> vertices;
  friend bool operator==(const Polyline&, const Polyline&) = default;
};
struct Text {
  TAcadPoint position;   // 10
  TAcadPoint alignment;  // 11
  double height = 0.0;
  std::string text;
  double rotation = 0.0;  // degrees
  double widthFactor = 1.0;
  int horizontal = 0;  // 72
  int vertical = 0;    // 73
  std::string style = "STANDARD";
  friend bool operator==(const Text&, const Text&) = default;
};
struct Insert {
  std::string blockName;
  TAcadPoint position;
  TAcadPoint scale{1, 1, 1};
  double rotation = 0.0;  // degrees
  friend bool operator==(const Insert&, const Insert&) = default;
};
struct Point {
  TAcadPoint position;
  friend bool operator==(const Point&, const Point&) = default;
};

using EntityData =
    std::variant<Line, Circle, Arc, Ellipse, LwPolyline, Polyline, Text, Insert, Point>;

struct Entity {
  EntityCommon common;
  EntityData data;
  SourceLink source{};
  friend bool operator==(const Entity&, const Entity&) = default;
};

struct Block {
  std::string name;
  TAcadPoint base;
  int flags = 0;
  std::string layer = "0";
  std::vector<Entity> entities;
  SourceLink source{};
  friend bool operator==(const Block&, const Block&) = default;
};

struct Drawing {
  std::string version = "AC1009";                  // $ACADVER
  std::string codePage = "ANSI_932";               // $DWGCODEPAGE
  std::map<std::string, std::string> headerTexts;  // other header variables, raw values
  std::vector<Layer> layers;
  std::vector<LineType> lineTypes;
  std::vector<Block> blocks;
  std::vector<Entity> entities;  // model space
  // Entity kinds the reader does not know, with how many of each it skipped.
  std::map<std::string, int> skippedEntities;
  // The file it was read from; unset for drawings made from scratch.
  SourceFile source{};
  friend bool operator==(const Drawing&, const Drawing&) = default;
};

}  // namespace vorn::dxf
