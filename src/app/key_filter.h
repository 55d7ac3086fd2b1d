// The key filters of the parameter boxes: which typed characters reach a box, and where
// Enter moves the focus.
#pragma once

#include <string>
#include <string_view>

namespace vorn {

inline constexpr char32_t kKeyBackspace = 8;
inline constexpr char32_t kKeyEnter = 13;

enum class KeyAction {
  Pass,     // the key reaches the box
  Swallow,  // the key is dropped
  Focus,    // the key is dropped and the focus moves to KeyVerdict::focus
};

struct KeyVerdict {
  KeyAction action = KeyAction::Pass;
  std::string focus;  // the control that gets the focus, for KeyAction::Focus
  friend bool operator==(const KeyVerdict&, const KeyVerdict&) = default;
};

// The verdict for a key typed into a control ("Edit3", ..., "Form1" for the window itself).
// Controls without a filter let every key through.
KeyVerdict FilterKey(std::string_view control, char32_t key);

}  // namespace vorn
