#include "dxf/writer_support.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <numbers>

#include "dxf/ascii_case.h"
#include "dxf/code_page.h"
#include "dxf/dxf_document.h"
#include "dxf/number_format.h"

namespace vorn::dxf {
namespace {

// Chords of the ellipse approximation: one per 5 degrees of parameter keeps the deviation
// below 0.1 % of the major radius, finer than the 10-degree division acquisition uses.
constexpr double kEllipseStep = std::numbers::pi / 36.0;

// Decodes one UTF-8 sequence at `pos`; returns its length, 0 when the bytes are not UTF-8.
size_t Utf8Length(std::string_view text, size_t pos, char32_t& codePoint) {
  const auto lead = static_cast<unsigned char>(text[pos]);
  size_t length = 0;
  if (lead < 0x80) {
    codePoint = lead;
    return 1;
  }
  if ((lead & 0xE0) == 0xC0) {
    length = 2;
    codePoint = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3;
    codePoint = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4;
    codePoint = lead & 0x07;
  } else {
    return 0;
  }
  if (pos + length > text.size()) return 0;
  for (size_t i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[pos + i]);
    if ((next & 0xC0) != 0x80) return 0;
    codePoint = (codePoint << 6) | (next & 0x3F);
  }
  return length;
}

void AppendEscape(std::string& out, unsigned unit) {
  std::array<char, 16> buffer{};
  std::snprintf(buffer.data(), buffer.size(), "\\U+%04X", unit);
  out += buffer.data();
}

// "\U+XXXX" in UTF-16 units, as CADs write characters their code page lacks.
void AppendUnicodeEscape(std::string& out, char32_t codePoint) {
  if (codePoint < 0x10000) {
    AppendEscape(out, static_cast<unsigned>(codePoint));
    return;
  }
  const char32_t offset = codePoint - 0x10000;
  AppendEscape(out, static_cast<unsigned>(0xD800 + (offset >> 10)));
  AppendEscape(out, static_cast<unsigned>(0xDC00 + (offset & 0x3FF)));
}

bool Encodable(std::string_view utf8, const std::string& encoding) {
  try {
    Utf8ToEncoding(utf8, encoding);
    return true;
  } catch (const CodePageError&) {
    return false;
  }
}

// A line end inside a value would break the pairing of the file's lines.
std::string WithoutLineBreaks(std::string_view text) {
  std::string out(text);
  std::replace_if(
      out.begin(), out.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
  return out;
}

TAcadPoint Cross(const TAcadPoint& a, const TAcadPoint& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

double Length(const TAcadPoint& p) { return std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z); }

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// A text that itself holds "\U+XXXX" (read from the escape of a backslash, "\U+005C", followed
// by "U+XXXX") would be read back as the escaped character and change with every save; its
// backslash is written as an escape too, so the text reads back as it was.
std::string WithLiteralEscapesKept(std::string_view text) {
  std::string out;
  for (size_t pos = 0; pos < text.size(); ++pos) {
    const std::string_view rest = text.substr(pos);
    const bool escapeShaped = rest.size() >= 7 && rest.starts_with("\\U+") &&
                              std::all_of(rest.begin() + 3, rest.begin() + 7, IsHexDigit);
    if (escapeShaped) {
      AppendEscape(out, '\\');
    } else {
      out.push_back(text[pos]);
    }
  }
  return out;
}

}  // namespace

std::string EscapeForEncoding(std::string_view utf8, const std::string& encoding) {
  std::string text = WithLiteralEscapesKept(WithoutLineBreaks(utf8));
  if (Encodable(text, encoding)) return text;
  std::string out;
  for (size_t pos = 0; pos < text.size();) {
    char32_t codePoint = 0;
    const size_t length = Utf8Length(text, pos, codePoint);
    if (length == 0) {
      throw DxfSaveError("text is not valid UTF-8 at byte " + std::to_string(pos) + ": " +
                         text.substr(0, std::min<size_t>(pos, 40)));
    }
    const std::string_view character = std::string_view(text).substr(pos, length);
    if (codePoint < 0x80 || Encodable(character, encoding)) {
      out += character;
    } else {
      AppendUnicodeEscape(out, codePoint);
    }
    pos += length;
  }
  return out;
}

std::string HexHandle(unsigned long long value) {
  std::array<char, 24> buffer{};
  const auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, 16);
  return UpperAscii(std::string_view(buffer.data(), static_cast<size_t>(end - buffer.data())));
}

// Points of the ellipse in world coordinates: centre + cos t · major + sin t · minor, where
// the minor axis is extrusion × major scaled by the ratio.
EllipsePoints SampleEllipse(const Ellipse& ellipse, const TAcadPoint& extrusion) {
  const double normalLength = Length(extrusion);
  const TAcadPoint n = normalLength > 0
                           ? TAcadPoint{extrusion.x / normalLength, extrusion.y / normalLength,
                                        extrusion.z / normalLength}
                           : TAcadPoint{0, 0, 1};
  const TAcadPoint cross = Cross(n, ellipse.majorAxis);
  const TAcadPoint minor{cross.x * ellipse.ratio, cross.y * ellipse.ratio, cross.z * ellipse.ratio};
  constexpr double kTurn = 2 * std::numbers::pi;
  double span = std::fmod(ellipse.endParam - ellipse.startParam, kTurn);
  if (!std::isfinite(span)) throw DxfSaveError("an ellipse has parameters that are not numbers");
  if (span < 0) span += kTurn;
  // Equal parameters, or a whole number of turns between them, mean the whole ellipse.
  if (span < 1e-9 || span > kTurn - 1e-9) span = kTurn;
  EllipsePoints result;
  result.closed = span == kTurn;
  const int chords = std::max(4, static_cast<int>(std::ceil(span / kEllipseStep - 1e-9)));
  const int count = result.closed ? chords : chords + 1;
  for (int k = 0; k < count; ++k) {
    const double t = ellipse.startParam + span * k / chords;
    const double c = std::cos(t), s = std::sin(t);
    result.points.push_back({ellipse.centre.x + c * ellipse.majorAxis.x + s * minor.x,
                             ellipse.centre.y + c * ellipse.majorAxis.y + s * minor.y,
                             ellipse.centre.z + c * ellipse.majorAxis.z + s * minor.z});
  }
  return result;
}

void AppendGroup(std::string& out, int code, std::string_view value) {
  out += GroupCode(code);
  out += "\r\n";
  out += value;
  out += "\r\n";
}

std::string FiniteNumberText(int code, double value, std::string_view record) {
  if (!std::isfinite(value)) {
    throw DxfSaveError("group " + std::to_string(code) + " of " + std::string(record) +
                       " is not a finite number");
  }
  return FormatGeneral(value);
}

}  // namespace vorn::dxf
