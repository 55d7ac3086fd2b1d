#include "cad/host/linetype_library.h"

#include <charconv>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "dxf/ascii_case.h"

namespace vorn::cad::host {
namespace {

// Every built-in file offers the same dashed and centre line types in millimetre sizes.
constexpr std::string_view kIsoLines =
    ";; Dashed line types, millimetre sizes\n"
    "*HIDDEN,Hidden __ __ __ __ __ __ __ __ __ __ __ __ __ __\n"
    "A,6.35,-3.175\n"
    "*HIDDEN2,Hidden (.5x) _ _ _ _ _ _ _ _ _ _ _ _ _ _ _ _ _\n"
    "A,3.175,-1.5875\n"
    "*HIDDENX2,Hidden (2x) ____    ____    ____    ____\n"
    "A,12.7,-6.35\n"
    "*DASHED,Dashed __ __ __ __ __ __ __ __ __ __ __ __ __ _\n"
    "A,12.7,-6.35\n"
    "*CENTER,Center ____ _ ____ _ ____ _ ____ _ ____ _ ____\n"
    "A,31.75,-6.35,6.35,-6.35\n"
    "*DOT,Dot . . . . . . . . . . . . . . . . . . . . . . . .\n"
    "A,0,-6.35\n";

constexpr std::string_view kBuiltInFiles[] = {"acadiso.lin", "gcadiso.lin", "iso.lin",
                                              "zwcadiso.lin", "MM.LIN"};

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

std::optional<std::vector<double>> ParsePattern(std::string_view body) {
  std::vector<double> values;
  while (!body.empty()) {
    const size_t comma = body.find(',');
    const std::string_view item = Trim(body.substr(0, comma));
    if (item.find('[') != std::string_view::npos) return std::nullopt;
    double v = 0;
    const auto [ptr, ec] = std::from_chars(item.data(), item.data() + item.size(), v);
    if (ec != std::errc() || ptr != item.data() + item.size()) return std::nullopt;
    values.push_back(v);
    if (comma == std::string_view::npos) break;
    body.remove_prefix(comma + 1);
  }
  return values;
}

std::optional<std::string> ReadWholeFile(const std::string& file) {
  std::error_code ec;
  if (file.empty() || !std::filesystem::is_regular_file(file, ec)) return std::nullopt;
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

std::vector<dxf::LineType> ParseLinFile(std::string_view text) {
  std::vector<dxf::LineType> types;
  std::optional<dxf::LineType> pending;
  while (!text.empty()) {
    const size_t eol = text.find('\n');
    std::string_view line = Trim(text.substr(0, eol));
    text.remove_prefix(eol == std::string_view::npos ? text.size() : eol + 1);
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '*') {
      const size_t comma = line.find(',');
      pending = dxf::LineType{
          std::string(Trim(line.substr(
              1, comma == std::string_view::npos ? std::string_view::npos : comma - 1))),
          comma == std::string_view::npos ? std::string()
                                          : std::string(Trim(line.substr(comma + 1))),
          0.0,
          {}};
      continue;
    }
    if (!pending || line.size() < 2 || (line[0] != 'A' && line[0] != 'a') || line[1] != ',') {
      continue;
    }
    if (auto pattern = ParsePattern(line.substr(2))) {
      pending->elements = *pattern;
      for (double v : pending->elements) pending->patternLength += v < 0 ? -v : v;
      types.push_back(*pending);
    }
    pending.reset();
  }
  return types;
}

std::optional<dxf::LineType> FindLinetypeInFile(const std::string& name, const std::string& file) {
  std::optional<std::string> text = ReadWholeFile(file);
  if (!text) {
    for (auto builtIn : kBuiltInFiles) {
      if (UpperAscii(builtIn) == UpperAscii(file)) text = std::string(kIsoLines);
    }
  }
  if (!text) return std::nullopt;
  for (auto& type : ParseLinFile(*text)) {
    if (UpperAscii(type.name) == UpperAscii(name)) return type;
  }
  return std::nullopt;
}

}  // namespace vorn::cad::host
