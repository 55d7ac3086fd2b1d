// The platform's text conversion behind code_page.h: iconv on POSIX systems, the Win32
// code-page functions on Windows. Only code_page.cpp uses it.
#pragma once

#include <string>
#include <string_view>

namespace vorn {

// Converts `input` from one encoding into another; both are named as EncodingForDwgCodePage
// names them ("CP932", "CP1252", "UTF-8", "ISO-8859-1", ...). An encoding the platform does not
// have throws CodePageError; so does input that is invalid in `from` or holds a character `to`
// cannot, naming the byte offset in `input` where it stops.
std::string ConvertEncoding(std::string_view input, std::string_view from, std::string_view to);

}  // namespace vorn
