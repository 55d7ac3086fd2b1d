#include "app/city_list.h"

#include <system_error>

#include "app/file_io.h"
#include "geometry/point_ops.h"

namespace vorn {

namespace {

std::string OrDefault(std::string text, std::string_view fallback) {
  return text.empty() ? std::string(fallback) : text;
}

}  // namespace

const std::vector<std::string>& BuiltInCities() {
  static const std::vector<std::string> kCities = {
      "基準  ,36°00′", "北海道,43°04′", "青森  ,40°49′", "岩手  ,39°42′", "宮城  ,38°16′",
      "秋田  ,39°43′", "山形  ,38°14′", "福島  ,37°45′", "茨城  ,36°22′", "栃木  ,36°34′",
      "群馬  ,36°23′", "埼玉  ,35°51′", "千葉  ,35°36′", "東京  ,35°40′", "神奈川,35°27′",
      "新潟  ,37°54′", "富山  ,36°42′", "金沢  ,36°34′", "福井  ,36°04′", "山梨  ,35°40′",
      "長野  ,36°39′", "岐阜  ,35°23′", "静岡  ,34°58′", "愛知  ,35°11′", "三重  ,34°44′",
      "滋賀  ,35°00′", "京都  ,35°01′", "大阪  ,34°41′", "兵庫  ,34°41′", "奈良  ,34°41′",
      "和歌山,34°13′", "鳥取  ,35°30′", "島根  ,35°28′", "岡山  ,34°39′", "広島  ,34°24′",
      "山口  ,34°11′", "徳島  ,34°04′", "香川  ,34°20′", "愛媛  ,33°50′", "高知  ,33°33′",
      "福岡  ,33°36′", "佐賀  ,33°15′", "長崎  ,32°44′", "熊本  ,32°47′", "大分  ,33°14′",
      "宮崎  ,31°54′", "鹿児島,31°36′", "沖縄  ,26°12′",
  };
  return kCities;
}

std::vector<std::string> ReadCityFile(const std::filesystem::path& path) {
  return ReadTextFileLines(path).value_or(std::vector<std::string>{});
}

std::vector<std::string> LoadCityItems(const std::filesystem::path& cityFile) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(cityFile, ec)) return BuiltInCities();
  return ReadCityFile(cityFile);
}

CityLatitude ParseCityLatitude(std::string_view item) {
  return {OrDefault(ExtractBetween(",", "°", item), "36"),
          OrDefault(ExtractBetween("°", "′", item), "00"),
          OrDefault(ExtractBetween("′", "″", item), "00")};
}

}  // namespace vorn
