// The city latitude list of the main window: 48 built-in prefectural capitals, replaced by
// the lines of "vorn_ido.txt" when that file exists, and the parsing of a chosen item into
// the latitude boxes.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vorn {

inline constexpr std::string_view kCityFileName = "vorn_ido.txt";

const std::vector<std::string>& BuiltInCities();

// The lines of a city file as UTF-8 (a CP932 file is converted; line ends and a byte-order
// mark are dropped). Empty when the file does not exist or cannot be read as text.
std::vector<std::string> ReadCityFile(const std::filesystem::path& path);

// The city items: the file's lines when the file exists, the built-in items otherwise.
std::vector<std::string> LoadCityItems(const std::filesystem::path& cityFile);

struct CityLatitude {
  std::string degrees;  // "36" when the item names none
  std::string minutes;  // "00" when the item names none
  std::string seconds;  // "00" when the item names none
  friend bool operator==(const CityLatitude&, const CityLatitude&) = default;
};

// "name,DD°MM′SS″": the texts between the markers, trimmed, with their defaults.
CityLatitude ParseCityLatitude(std::string_view item);

}  // namespace vorn
