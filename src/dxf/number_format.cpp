#include "dxf/number_format.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string_view>
#include <system_error>

namespace vorn {
namespace {

constexpr int kSignificantDigits = 15;

struct Decimal {
  bool negative = false;
  std::string digits;  // significant digits without trailing zeros, at least one
  int exponent = 0;    // value = 0.digits[0]digits[1]... shifted: d.ddd × 10^exponent
};

// Rounds to 15 significant digits through the scientific form, which std::to_chars writes
// in the C locale whatever the process locale is.
Decimal ToDecimal(double value) {
  std::array<char, 64> buffer{};
  auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                 std::chars_format::scientific, kSignificantDigits - 1);
  std::string_view text(buffer.data(), static_cast<size_t>(end - buffer.data()));
  Decimal d;
  size_t pos = 0;
  if (text[pos] == '-') {
    d.negative = true;
    ++pos;
  }
  const size_t e = text.find('e');
  for (size_t i = pos; i < e; ++i) {
    if (text[i] != '.') d.digits.push_back(text[i]);
  }
  std::from_chars(text.data() + e + (text[e + 1] == '+' ? 2 : 1), text.data() + text.size(),
                  d.exponent);
  while (d.digits.size() > 1 && d.digits.back() == '0') d.digits.pop_back();
  return d;
}

std::string ExponentForm(const Decimal& d) {
  std::string out = d.negative ? "-" : "";
  out += d.digits[0];
  if (d.digits.size() > 1) {
    out += '.';
    out.append(d.digits, 1);
  }
  out += 'E';
  out += std::to_string(d.exponent);
  return out;
}

std::string PlainForm(const Decimal& d) {
  std::string out = d.negative ? "-" : "";
  const int digitCount = static_cast<int>(d.digits.size());
  if (d.exponent < 0) {
    out += "0.";
    out.append(static_cast<size_t>(-d.exponent - 1), '0');
    out += d.digits;
    return out;
  }
  const int integerDigits = d.exponent + 1;
  if (digitCount <= integerDigits) {
    out += d.digits;
    out.append(static_cast<size_t>(integerDigits - digitCount), '0');
  } else {
    out.append(d.digits, 0, static_cast<size_t>(integerDigits));
    out += '.';
    out.append(d.digits, static_cast<size_t>(integerDigits));
  }
  return out;
}

}  // namespace

std::string FormatGeneral(double value) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
  if (value == 0.0) return "0";
  const Decimal d = ToDecimal(value);
  if (d.exponent < -5 || d.exponent >= kSignificantDigits) return ExponentForm(d);
  return PlainForm(d);
}

std::string FormatFixed(double value, int decimals) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
  std::array<char, 400> buffer{};
  auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                 std::chars_format::fixed, decimals);
  std::string text(buffer.data(), end);
  // printf writes "-0.000" for tiny negatives; so does to_chars, which matches the C
  // library the original fixed formats came from.
  return text;
}

std::string GroupCode(int code) {
  std::array<char, 16> buffer{};
  std::snprintf(buffer.data(), buffer.size(), "%3d", code);
  return buffer.data();
}

std::string Int6(int value) {
  std::array<char, 16> buffer{};
  std::snprintf(buffer.data(), buffer.size(), "%6d", value);
  return buffer.data();
}

std::optional<double> ParseNumber(std::string_view text) {
  if (text.starts_with('+')) text.remove_prefix(1);
  if (text.empty() || text.starts_with('+')) return std::nullopt;
  double value = 0.0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

}  // namespace vorn
