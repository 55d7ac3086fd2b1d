// Texts between the program (UTF-8) and COM (UTF-16 BSTRs), and the system's words for an
// HRESULT.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace vorn::cad::com {

// Throws CadError when the text is not valid UTF-8.
std::wstring Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::wstring_view text);
// A BSTR's whole text (it may hold NUL characters); null is the empty text.
std::string BstrToUtf8(BSTR text);
// The system's message for the code, without the trailing line break; a generic text when the
// system has none.
std::string SystemMessage(HRESULT hresult);

}  // namespace vorn::cad::com
