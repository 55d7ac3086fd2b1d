#include "app/key_filter.h"

#include <array>

namespace vorn {

namespace {

struct FilterRule {
  std::string_view control;
  bool dot;    // "." allowed
  bool minus;  // "-" allowed
  std::string_view enterFocus;
};

constexpr std::array kRules = {
    FilterRule{"Edit3", false, false, "Edit5"}, FilterRule{"Edit5", false, false, "Edit23"},
    FilterRule{"Edit12", true, true, "Edit2"},  FilterRule{"Edit2", true, false, "Edit7"},
    FilterRule{"Edit7", true, false, "Edit11"}, FilterRule{"Edit11", true, false, "Edit4"},
    FilterRule{"Edit4", true, false, ""},       FilterRule{"Edit6", true, false, ""},
    FilterRule{"Edit19", true, false, ""},      FilterRule{"Edit18", true, false, ""},
    FilterRule{"Edit20", true, false, ""},      FilterRule{"Edit22", true, false, ""},
    FilterRule{"Edit17", true, true, ""},       FilterRule{"Edit26", true, true, ""},
    FilterRule{"Edit15", false, false, ""},     FilterRule{"Edit13", false, false, ""},
    FilterRule{"Edit21", false, false, ""},     FilterRule{"Edit24", false, false, ""},
    FilterRule{"Edit25", false, false, ""},     FilterRule{"Form1", true, false, ""},
};

bool Allowed(const FilterRule& rule, char32_t key) {
  if (key >= U'0' && key <= U'9') return true;
  if (key == kKeyBackspace) return true;
  return (rule.dot && key == U'.') || (rule.minus && key == U'-');
}

}  // namespace

KeyVerdict FilterKey(std::string_view control, char32_t key) {
  for (const auto& rule : kRules) {
    if (rule.control != control) continue;
    if (key == kKeyEnter) {
      if (rule.enterFocus.empty()) return {KeyAction::Swallow, {}};
      return {KeyAction::Focus, std::string(rule.enterFocus)};
    }
    return Allowed(rule, key) ? KeyVerdict{} : KeyVerdict{KeyAction::Swallow, {}};
  }
  return {};
}

}  // namespace vorn
