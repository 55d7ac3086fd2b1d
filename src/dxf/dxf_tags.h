// The low-level layer of the DXF reader: an ASCII DXF file as a list of group-code tags, and
// the conversions of tag values that raise DxfReadError with the line they came from.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "dxf/dxf_read_error.h"

namespace vorn::dxf {

// One group: the code, its value as stored in the file (line end removed, not decoded) and
// the 1-based file line of the code; the value sits on the line after it.
struct DxfTag {
  int code = 0;
  std::string value;
  int line = 0;

  int valueLine() const { return line + 1; }
};

// The opening of a binary DXF file, which this reader does not handle.
inline constexpr std::string_view kBinaryDxfSentinel = "AutoCAD Binary DXF";

// Splits the file into tags. Accepts LF and CRLF line ends, blanks around group codes and a
// missing line end after the last line; stops after "0 / EOF". Throws DxfReadError for a binary DXF
// file, a group code that is not an integer, or a code without its value line.
std::vector<DxfTag> ReadDxfTags(std::string_view bytes);

// The value with blanks and tabs removed at both ends, as names and numbers are compared.
std::string_view TrimmedValue(const DxfTag& tag);

// Numeric values; a text that is not a finite number throws DxfReadError at the value line.
double TagDouble(const DxfTag& tag);
int TagInt(const DxfTag& tag);

// True when the tag is the structure marker `code` with the trimmed value `value`.
bool IsTag(const DxfTag& tag, int code, std::string_view value);

}  // namespace vorn::dxf
