#include "app/file_io.h"

#include <fstream>
#include <sstream>
#include <system_error>

#include "dxf/code_page.h"

namespace vorn {

std::string WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
  std::filesystem::path temp = path;
  temp += ".tmp";
  std::error_code ignored;
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return "ファイル " + path.string() + " を作成できません．";
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) {
      out.close();
      std::filesystem::remove(temp, ignored);
      return "ファイル " + path.string() + " に書き込めません．";
    }
  }
  std::error_code ec;
  std::filesystem::rename(temp, path, ec);
  if (ec) {
    std::filesystem::remove(temp, ignored);
    return "ファイル " + path.string() + " を置き換えられません: " + ec.message();
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
