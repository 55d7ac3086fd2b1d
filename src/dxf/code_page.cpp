#include "dxf/code_page.h"

#include <algorithm>
#include <cctype>

#include "dxf/code_page_converter.h"

namespace vorn {
namespace {

bool IsUtf8Name(std::string_view encoding) {
  std::string upper;
  for (char c : encoding) {
    if (c != '-' && c != '_')
      upper.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
  }
  return upper == "UTF8";
}

}  // namespace

std::string EncodingForDwgCodePage(std::string_view dwgCodePage) {
  std::string name(dwgCodePage);
  std::transform(name.begin(), name.end(), name.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  if (name.rfind("ANSI_", 0) == 0) {
    const std::string number = name.substr(5);
    if (number == "932") return "CP932";
    if (number == "936") return "CP936";
    if (number == "949") return "CP949";
    if (number == "950") return "CP950";
    if (!number.empty() && std::all_of(number.begin(), number.end(), ::isdigit)) {
      return "CP" + number;
    }
  }
  if (name == "DOS932") return "CP932";
  if (name == "UTF-8" || name == "UTF8") return "UTF-8";
  if (name.rfind("CP", 0) == 0 || name.rfind("ISO", 0) == 0) return name;
  throw CodePageError("unknown code page " + std::string(dwgCodePage));
}

std::string Utf8ToEncoding(std::string_view utf8, std::string_view encoding) {
  if (IsUtf8Name(encoding)) return std::string(utf8);
  return ConvertEncoding(utf8, "UTF-8", encoding);
}

std::string EncodingToUtf8(std::string_view bytes, std::string_view encoding) {
  if (IsUtf8Name(encoding)) return ConvertEncoding(bytes, "UTF-8", "UTF-8");
  return ConvertEncoding(bytes, encoding, "UTF-8");
}

std::string TextFileToUtf8(std::string_view bytes) {
  for (std::string_view encoding : {std::string_view("UTF-8"), kCadEncoding}) {
    try {
      return EncodingToUtf8(bytes, encoding);
    } catch (const CodePageError&) {
    }
  }
  return {};
}

}  // namespace vorn
