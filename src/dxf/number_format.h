// Locale-independent number texts: the DXF general format and fixed-decimal formats.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vorn {

// Shortest form with at most 15 significant digits, no trailing zeros, "0" for zero, and
// exponent form ("1E-7", "1.5E20") only below 1e-5 in magnitude or above 15 integer digits.
std::string FormatGeneral(double value);

// The number the whole text spells in the C locale (a leading "+" allowed, no blanks), when it
// is finite; nothing otherwise.
std::optional<double> ParseNumber(std::string_view text);

// Fixed number of decimals, like printf("%.Nf") in the C locale.
std::string FormatFixed(double value, int decimals);

// A group code right-aligned in three characters, e.g. GroupCode(8) == "  8".
std::string GroupCode(int code);

// An integer right-aligned in six characters, as codes 66, 70, 72 and 73 are written.
std::string Int6(int value);

}  // namespace vorn
