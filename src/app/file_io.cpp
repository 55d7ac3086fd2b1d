#include "app/file_io.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "dxf/code_page.h"
#include "dxf/file_replace.h"

namespace vorn {

std::filesystem::path Utf8Path(std::string_view text) {
  return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

std::string PathUtf8(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

std::string WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
  try {
    ReplaceFileContents(path, bytes);
  } catch (const std::exception& e) {
    return "ファイル " + path.string() + " を保存できません．(" + e.what() + ")";
  }
  return {};
}

std::optional<std::vector<std::string>> ReadTextFileLines(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream bytes;
  bytes << in.rdbuf();
  std::string text = TextFileToUtf8(bytes.str());
  if (text.starts_with("\xEF\xBB\xBF")) text.erase(0, 3);
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
  }
  return lines;
}

}  // namespace vorn
