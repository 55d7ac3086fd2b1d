// What the two drawing writers share: text for a target code page, handle texts, and the
// polyline form of an ellipse for versions that have no ELLIPSE.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "dxf/dxf_drawing.h"

namespace vorn::dxf {

// UTF-8 text in which every character the code page cannot hold has become a "\U+XXXX"
// escape and line breaks have become blanks, so the whole text converts and stays on its
// line; the reader turns the escapes back into the characters. Throws DxfSaveError for text
// that is not UTF-8.
std::string EscapeForEncoding(std::string_view utf8, const std::string& encoding);

// A handle as DXF writes it: upper-case hexadecimal without leading zeros.
std::string HexHandle(unsigned long long value);

// Appends one group as the text writers put it: the code right-aligned, CRLF line ends.
void AppendGroup(std::string& out, int code, std::string_view value);

// A real group's text; a value that is not finite is refused with DxfSaveError naming the
// group and the record being written, as no reader could take it back.
std::string FiniteNumberText(int code, double value, std::string_view record);

struct EllipsePoints {
  std::vector<TAcadPoint> points;
  bool closed = false;
};

// Points of the ellipse in world coordinates, one chord per 5 degrees of parameter.
EllipsePoints SampleEllipse(const Ellipse& ellipse, const TAcadPoint& extrusion);

}  // namespace vorn::dxf
