#include "app/file_io.h"

#include <fstream>
#include <system_error>

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

}  // namespace vorn
