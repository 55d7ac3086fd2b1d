// The error of reading a DXF file, shared by the tag layer and the reader above it.
#pragma once

#include <stdexcept>
#include <string>

namespace vorn::dxf {

// A file that is not a readable DXF drawing. `line` is the 1-based line of the file where
// reading stopped (0 when the file could not be opened at all).
class DxfReadError : public std::runtime_error {
 public:
  DxfReadError(const std::string& what, int line)
      : std::runtime_error(OneLine(what)), line_(line) {}
  int line() const { return line_; }

 private:
  // Names quoted from a damaged file can hold line ends and other control characters; the
  // reason is shown to the user as one line.
  static std::string OneLine(std::string text) {
    for (char& c : text) {
      if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    }
    return text;
  }

  int line_;
};

}  // namespace vorn::dxf
