// Reading parameter boxes as numbers, for the commands.
//
// A command reads each box it needs with BoxToDouble / BoxToInt. A box whose text is not a
// number throws ConversionError carrying that text; the command's handler runs its body
// through RunGuarded (TForm1::RunCommand), which ends the command there and shows the
// conversion message in a message box captioned with the application title:
//
//   void TForm1::Button3Click() {
//     RunCommand([&] {
//       ReadShadowParameters();                   // GB_ fields and sun values from the boxes
//       const double step = BoxToDouble(Edit11);  // "abc" ends the command with a message
//       ...
//     });
//   }
//
// Parsing is locale-independent ("." is the only decimal mark); blanks around the number
// are allowed; infinities, NaN and values out of range are not numbers.
#pragma once

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "app/controls.h"

namespace vorn {

class Shell;

class ConversionError : public std::runtime_error {
 public:
  ConversionError(std::string text, bool integer);
  // The box's text that did not convert.
  const std::string& Text() const { return text_; }

 private:
  std::string text_;
};

std::optional<double> ParseDouble(std::string_view text);
std::optional<int> ParseInteger(std::string_view text);

double TextToDouble(std::string_view text);  // throws ConversionError
int TextToInt(std::string_view text);        // throws ConversionError
double BoxToDouble(const TEdit& box);        // throws ConversionError
int BoxToInt(const TEdit& box);              // throws ConversionError
// For the few places that read a box "as 0 (or another default) when not a number".
double BoxToDoubleOr(const TEdit& box, double fallback);

// Runs a command; a ConversionError ends it with a message box (caption: title) naming the
// text that is not a number. Returns false when the command was ended that way. Other
// exceptions pass through: each command guards its own CAD calls.
bool RunGuarded(Shell& shell, std::string_view title, const std::function<void()>& command);

}  // namespace vorn
