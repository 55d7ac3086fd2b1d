// The Win32 headers otherwise define min and max as macros.
#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <climits>
#include <optional>

#include "dxf/code_page.h"
#include "dxf/code_page_converter.h"

namespace vorn {
namespace {

std::string Upper(std::string_view text) {
  std::string upper(text);
  std::transform(upper.begin(), upper.end(), upper.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return upper;
}

std::optional<UINT> Number(std::string_view digits) {
  UINT value = 0;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size()) {
    return std::nullopt;
  }
  return value;
}

// The Windows code page of an encoding name ("CP932" is 932, "ISO-8859-1" is 28591); none
// for a name Windows does not know or a page this machine has not installed.
std::optional<UINT> WindowsCodePage(std::string_view encoding) {
  const std::string name = Upper(encoding);
  std::optional<UINT> page;
  if (name == "UTF-8" || name == "UTF8") {
    page = CP_UTF8;
  } else if (name == "SHIFT_JIS" || name == "SJIS") {
    page = 932;
  } else if (name == "ASCII" || name == "US-ASCII") {
    page = 20127;
  } else if (name == "LATIN1" || name == "LATIN-1") {
    page = 28591;
  } else if (name.rfind("CP", 0) == 0) {
    page = Number(std::string_view(name).substr(2));
  } else if (name.rfind("WINDOWS-", 0) == 0) {
    page = Number(std::string_view(name).substr(8));
  } else if (name.rfind("ISO-8859-", 0) == 0 || name.rfind("ISO8859-", 0) == 0) {
    const std::optional<UINT> part = Number(std::string_view(name).substr(name.find('-', 4) + 1));
    if (part && *part >= 1 && *part <= 15) page = 28590 + *part;
  }
  if (page && *page != CP_UTF8 && !IsValidCodePage(*page)) return std::nullopt;
  return page;
}

UINT RequireCodePage(std::string_view encoding, std::string_view from, std::string_view to) {
  const std::optional<UINT> page = WindowsCodePage(encoding);
  if (!page) {
    throw CodePageError("unsupported text encoding " + std::string(from) + " -> " +
                        std::string(to));
  }
  return *page;
}

int Length(size_t size) {
  if (size > static_cast<size_t>(INT_MAX)) throw CodePageError("text too long to convert");
  return static_cast<int>(size);
}

// The number of bytes of the character that starts at `lead` in the code page, for finding
// where a conversion stops. UTF-8 by its lead byte, the double-byte pages (932, 936, 949, 950)
// by their lead-byte ranges, one byte otherwise.
size_t CharacterLength(UINT page, unsigned char lead) {
  if (page == CP_UTF8) {
    if (lead >= 0xF0) return 4;
    if (lead >= 0xE0) return 3;
    if (lead >= 0xC0) return 2;
    return 1;
  }
  return IsDBCSLeadByteEx(page, lead) ? 2 : 1;
}

bool Decodes(UINT page, std::string_view bytes) {
  return bytes.empty() || MultiByteToWideChar(page, MB_ERR_INVALID_CHARS, bytes.data(),
                                              Length(bytes.size()), nullptr, 0) > 0;
}

// The offset of the first character of `bytes` that is not valid in the code page.
size_t FirstUndecodable(UINT page, std::string_view bytes) {
  size_t pos = 0;
  while (pos < bytes.size()) {
    const size_t length =
        std::min(CharacterLength(page, static_cast<unsigned char>(bytes[pos])), bytes.size() - pos);
    if (!Decodes(page, bytes.substr(pos, length))) return pos;
    pos += length;
  }
  return pos;
}

std::wstring Decode(UINT page, std::string_view bytes, std::string_view from, std::string_view to) {
  if (bytes.empty()) return {};
  const int size = MultiByteToWideChar(page, MB_ERR_INVALID_CHARS, bytes.data(),
                                       Length(bytes.size()), nullptr, 0);
  if (size <= 0) {
    throw CodePageError("text cannot be converted from " + std::string(from) + " to " +
                        std::string(to) + " at byte " +
                        std::to_string(FirstUndecodable(page, bytes)));
  }
  std::wstring wide(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(page, MB_ERR_INVALID_CHARS, bytes.data(), Length(bytes.size()), wide.data(),
                      size);
  return wide;
}

// Encodes UTF-16 text; empty when a character has no form in the code page. Best-fit mapping
// is off: "é" must not quietly become "e" in a drawing's text.
std::optional<std::string> TryEncode(UINT page, std::wstring_view wide) {
  if (wide.empty()) return std::string();
  const bool checked = page != CP_UTF8;
  const DWORD flags = checked ? WC_NO_BEST_FIT_CHARS : WC_ERR_INVALID_CHARS;
  BOOL usedDefault = FALSE;
  const int size = WideCharToMultiByte(page, flags, wide.data(), Length(wide.size()), nullptr, 0,
                                       nullptr, checked ? &usedDefault : nullptr);
  if (size <= 0 || usedDefault) return std::nullopt;
  std::string bytes(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(page, flags, wide.data(), Length(wide.size()), bytes.data(), size, nullptr,
                      nullptr);
  return bytes;
}

// The offset in `input` (in the code page `inputPage`) of the first character that the
// target code page cannot hold.
size_t FirstUnencodable(UINT inputPage, std::string_view input, UINT page) {
  size_t pos = 0;
  while (pos < input.size()) {
    const size_t length = std::min(
        CharacterLength(inputPage, static_cast<unsigned char>(input[pos])), input.size() - pos);
    const std::wstring wide = Decode(inputPage, input.substr(pos, length), "", "");
    if (!TryEncode(page, wide)) return pos;
    pos += length;
  }
  return pos;
}

}  // namespace

std::string ConvertEncoding(std::string_view input, std::string_view from, std::string_view to) {
  const UINT fromPage = RequireCodePage(from, from, to);
  const UINT toPage = RequireCodePage(to, from, to);
  const std::wstring wide = Decode(fromPage, input, from, to);
  std::optional<std::string> out = TryEncode(toPage, wide);
  if (!out) {
    throw CodePageError("text cannot be converted from " + std::string(from) + " to " +
                        std::string(to) + " at byte " +
                        std::to_string(FirstUnencodable(fromPage, input, toPage)));
  }
  return *out;
}

}  // namespace vorn
