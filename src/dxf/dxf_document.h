// The R12 DXF text the diagrams are written as: an ordered list of items, each followed by
// CRLF in the file, with the frame, the HIDDEN2 line-type table and the entity templates.
#pragma once

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "geometry/records.h"

namespace vorn {

class DxfSaveError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class DxfDocument {
 public:
  void Add(std::string item) { items_.push_back(std::move(item)); }
  const std::vector<std::string>& Items() const { return items_; }

  // The file text in UTF-8: every item followed by "\r\n".
  std::string Text() const;

  // Writes the text in `encoding` to a temporary file beside `path` and renames it over
  // `path`, so a failed save never leaves half a file. Throws DxfSaveError or CodePageError.
  void SaveToFile(const std::filesystem::path& path, std::string_view encoding) const;

 private:
  std::vector<std::string> items_;
};

// The frame opening; without tables (the deemed boundary line) the TABLES section is left out.
void AddFrameOpening(DxfDocument& doc, bool withLineTypeTable = true);
void AddLineTypeTable(DxfDocument& doc);
void AddFrameClosing(DxfDocument& doc);

// The optional groups after the layer of LINE and POLYLINE.
struct DxfLineStyle {
  bool hidden2 = false;       // "  6\r\nHIDDEN2"
  std::optional<int> colour;  // " 62\r\n" + colour
};

void AddDxfLine(DxfDocument& doc, std::string_view layer, const TAcadPoint& p1,
                const TAcadPoint& p2, const DxfLineStyle& style = {});

struct DxfVertex {
  double x = 0.0;
  double y = 0.0;
  std::optional<double> bulge;  // " 42" written only when set
};

// The R12 polyline with its vertices and SEQEND; elevation unset writes the fixed " 30 0.0".
void AddDxfPolyline(DxfDocument& doc, std::string_view layer,
                    const std::vector<DxfVertex>& vertices, bool closed,
                    const DxfLineStyle& style = {}, std::optional<double> elevation = std::nullopt);

struct DxfText {
  std::string layer;
  TAcadPoint position;
  double height = 0.0;
  std::string text;
  std::optional<double> rotationDegrees;
  struct Alignment {
    int horizontal = 0;  // 72
    int vertical = 0;    // 73
    TAcadPoint point;    // 11 / 21 / 31
  };
  std::optional<Alignment> alignment;
};

// TEXT in the template order: 10, 20, 30, 40, 1, 41 0.8, [50], [72, 73, 11, 21, 31].
void AddDxfText(DxfDocument& doc, const DxfText& text);

void AddDxfCircle(DxfDocument& doc, std::string_view layer, const TAcadPoint& centre,
                  double radius);

// One group as an item: GroupCode(code) + "\r\n" + value.
std::string DxfGroup(int code, std::string_view value);
std::string DxfGroup(int code, double value);

}  // namespace vorn
