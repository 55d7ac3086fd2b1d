#include "app/number_box.h"

#include "app/ini_file.h"
#include "app/shell.h"
#include "dxf/number_format.h"

namespace vorn {

namespace {

std::string_view TrimBlanks(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

std::string MessageFor(const std::string& text, bool integer) {
  return "'" + text +
         (integer ? "' は有効な整数ではありません．" : "' は有効な数値ではありません．");
}

}  // namespace

ConversionError::ConversionError(std::string text, bool integer)
    : std::runtime_error(MessageFor(text, integer)), text_(std::move(text)) {}

std::optional<double> ParseDouble(std::string_view text) { return ParseNumber(TrimBlanks(text)); }

std::optional<int> ParseInteger(std::string_view text) { return ParseInt32(text); }

double TextToDouble(std::string_view text) {
  if (auto v = ParseDouble(text)) return *v;
  throw ConversionError(std::string(text), false);
}

int TextToInt(std::string_view text) {
  if (auto v = ParseInteger(text)) return *v;
  throw ConversionError(std::string(text), true);
}

double BoxToDouble(const TEdit& box) { return TextToDouble(box.Text); }
int BoxToInt(const TEdit& box) { return TextToInt(box.Text); }

double BoxToDoubleOr(const TEdit& box, double fallback) {
  return ParseDouble(box.Text).value_or(fallback);
}

bool RunGuarded(Shell& shell, std::string_view title, const std::function<void()>& command) {
  try {
    command();
    return true;
  } catch (const ConversionError& e) {
    shell.ShowMessage(title, e.what());
    return false;
  }
}

}  // namespace vorn
