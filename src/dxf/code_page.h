// Conversion between the program's UTF-8 text and the ANSI code pages that DXF files and
// the CAD use (CP932 for Japanese drawings).
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace vorn {

class CodePageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The code page named as in a DXF header ("ANSI_932", "ANSI_1252", ...) or a plain
// encoding name ("CP932", "UTF-8"). Unknown names throw CodePageError.
// Names the converter knows as they are ("BIG5", "DOS850" as CP850) are accepted too.
std::string EncodingForDwgCodePage(std::string_view dwgCodePage);

// True when the system's converter can turn UTF-8 into the encoding and back.
bool IsKnownEncoding(std::string_view encoding);

// Converts UTF-8 text into the given encoding. Characters the target cannot hold throw
// CodePageError naming the character's position.
std::string Utf8ToEncoding(std::string_view utf8, std::string_view encoding);

// Converts text in the given encoding into UTF-8. Invalid bytes throw CodePageError.
std::string EncodingToUtf8(std::string_view bytes, std::string_view encoding);

// The encoding the CAD expects for files it reads: CP932 for this Japanese product.
inline constexpr std::string_view kCadEncoding = "CP932";

// A text file of the user's as UTF-8: valid UTF-8 as it is, anything else taken as the CAD's
// code page (files written by the older ANSI program); empty when it is neither.
std::string TextFileToUtf8(std::string_view bytes);

}  // namespace vorn
