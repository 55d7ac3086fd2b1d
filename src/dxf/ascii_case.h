// ASCII letter case, the way CAD names (layers, line types, blocks, handles) and ProgIDs are
// compared: only a-z change, so the bytes of Japanese and other non-ASCII names pass through
// untouched, whatever the process's locale.
#pragma once

#include <string>
#include <string_view>

namespace vorn {

inline std::string UpperAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

}  // namespace vorn
