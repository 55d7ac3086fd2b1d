#include "dxf/dxf_tags.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace vorn::dxf {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// Walks the file's lines without their LF or CRLF ends; a final line end opens no further line.
class LineReader {
 public:
  explicit LineReader(std::string_view bytes) : bytes_(bytes) {}

  bool AtEnd() const { return pos_ >= bytes_.size(); }
  int LineNumber() const { return lineNumber_; }  // of the line Next() returned last

  std::string_view Next() {
    size_t end = bytes_.find('\n', pos_);
    if (end == std::string_view::npos) end = bytes_.size();
    std::string_view line = bytes_.substr(pos_, end - pos_);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    pos_ = end + 1;
    ++lineNumber_;
    return line;
  }

 private:
  std::string_view bytes_;
  size_t pos_ = 0;
  int lineNumber_ = 0;
};

// Group codes are written as plain decimal integers, possibly negative for the few
// internal codes; anything else means the file is not DXF text or has lost its pairing.
int ParseGroupCode(std::string_view line, int lineNumber) {
  const std::string_view text = Trim(line);
  int code = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), code);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size()) {
    throw DxfReadError(
        "line " + std::to_string(lineNumber) + ": a group code (an integer) was expected",
        lineNumber);
  }
  return code;
}

std::string Quoted(std::string_view text) {
  constexpr size_t kShown = 40;
  std::string shown;
  for (char c : text.substr(0, kShown)) {
    const auto byte = static_cast<unsigned char>(c);
    shown.push_back(byte < 0x20 || byte == 0x7F ? '?' : c);
  }
  if (text.size() > kShown) shown += "...";
  return "\"" + shown + "\"";
}

}  // namespace

std::vector<DxfTag> ReadDxfTags(std::string_view bytes) {
  if (bytes.substr(0, kBinaryDxfSentinel.size()) == kBinaryDxfSentinel) {
    throw DxfReadError("binary DXF files are not supported; save the drawing as ASCII DXF", 1);
  }
  if (bytes.size() > static_cast<size_t>(std::numeric_limits<int>::max())) {
    throw DxfReadError("the file is too large to be read", 0);
  }
  // Some editors put a byte order mark before the first group code of a UTF-8 file.
  constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
  if (bytes.starts_with(kUtf8Bom)) bytes.remove_prefix(kUtf8Bom.size());
  LineReader lines(bytes);
  std::vector<DxfTag> tags;
  while (!lines.AtEnd()) {
    const std::string_view codeLine = lines.Next();
    const int lineNumber = lines.LineNumber();
    const int code = ParseGroupCode(codeLine, lineNumber);
    if (lines.AtEnd()) {
      throw DxfReadError("line " + std::to_string(lineNumber) + ": group code " +
                             std::to_string(code) + " has no value line; the file is cut short",
                         lineNumber);
    }
    const std::string_view value = lines.Next();
    tags.push_back(DxfTag{code, std::string(value), lineNumber});
    // Whatever follows the end marker is not part of the drawing.
    if (code == 0 && Trim(value) == "EOF") break;
  }
  return tags;
}

std::string_view TrimmedValue(const DxfTag& tag) { return Trim(tag.value); }

double TagDouble(const DxfTag& tag) {
  std::string_view text = TrimmedValue(tag);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  double value = 0.0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size() ||
      !std::isfinite(value)) {
    throw DxfReadError("line " + std::to_string(tag.valueLine()) + ": group " +
                           std::to_string(tag.code) + " needs a number, found " + Quoted(tag.value),
                       tag.valueLine());
  }
  return value;
}

int TagInt(const DxfTag& tag) {
  std::string_view text = TrimmedValue(tag);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  int value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (!text.empty() && ec == std::errc() && end == text.data() + text.size()) return value;
  // Some writers put integer groups as "1.0"; a whole number in range is still meant.
  const double real = TagDouble(tag);
  if (real == std::trunc(real) && std::abs(real) <= std::numeric_limits<int>::max()) {
    return static_cast<int>(real);
  }
  throw DxfReadError("line " + std::to_string(tag.valueLine()) + ": group " +
                         std::to_string(tag.code) + " needs an integer, found " + Quoted(tag.value),
                     tag.valueLine());
}

bool IsTag(const DxfTag& tag, int code, std::string_view value) {
  return tag.code == code && TrimmedValue(tag) == value;
}

}  // namespace vorn::dxf
