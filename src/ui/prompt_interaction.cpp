#include "ui/prompt_interaction.h"

#include <QInputDialog>
#include <charconv>
#include <numbers>
#include <sstream>
#include <vector>

#include "ui/text.h"

namespace vorn::ui {

namespace {

std::string Trim(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t");
  return std::string(text.substr(first, last - first + 1));
}

std::optional<double> ParseNumber(std::string_view text) {
  const std::string trimmed = Trim(text);
  if (trimmed.empty()) return std::nullopt;
  double value = 0.0;
  const char* begin = trimmed.data();
  const char* end = begin + trimmed.size();
  if (*begin == '+') ++begin;
  const auto [stop, error] = std::from_chars(begin, end, value);
  if (error != std::errc{} || stop != end) return std::nullopt;
  return value;
}

}  // namespace

std::optional<TAcadPoint> ParsePointText(const std::string& text) {
  std::vector<double> values;
  std::stringstream parts(text);
  std::string part;
  while (std::getline(parts, part, ',')) {
    const auto value = ParseNumber(part);
    if (!value) return std::nullopt;
    values.push_back(*value);
  }
  if (values.size() < 2 || values.size() > 3) return std::nullopt;
  return TAcadPoint{values[0], values[1], values.size() == 3 ? values[2] : 0.0};
}

std::optional<std::string> PromptInteraction::Ask(const std::string& prompt,
                                                  const std::string& hint) {
  bool ok = false;
  const QString answer =
      QInputDialog::getText(parent_, Q(hint), Q(prompt), QLineEdit::Normal, QString(), &ok);
  if (!ok) return std::nullopt;
  return U8(answer);
}

std::optional<cad::host::SelectionAnswer> PromptInteraction::SelectObjects(
    const std::string& prompt) {
  const auto answer = Ask(prompt, "画層名、またはハンドル（空白区切り）");
  if (!answer || Trim(*answer).empty()) return std::nullopt;
  cad::host::SelectionAnswer selection;
  const std::string text = Trim(*answer);
  // Handles are hexadecimal; anything else names a layer.
  if (text.find_first_not_of("0123456789abcdefABCDEF ") == std::string::npos) {
    selection.kind = cad::host::SelectionAnswer::Kind::kHandles;
    std::stringstream words(text);
    for (std::string word; words >> word;) selection.handles.push_back(word);
  } else {
    selection.kind = cad::host::SelectionAnswer::Kind::kLayer;
    selection.layer = text;
  }
  return selection;
}

std::optional<TAcadPoint> PromptInteraction::GetPoint(const std::string& prompt,
                                                      const std::optional<TAcadPoint>&) {
  while (true) {
    const auto answer = Ask(prompt, "x,y");
    if (!answer) return std::nullopt;
    if (auto point = ParsePointText(*answer)) return point;
  }
}

std::optional<double> PromptInteraction::GetAngle(const std::string& prompt,
                                                  const std::optional<TAcadPoint>&) {
  while (true) {
    const auto answer = Ask(prompt, "角度（度）");
    if (!answer) return std::nullopt;
    if (auto degrees = ParseNumber(*answer)) return *degrees * std::numbers::pi / 180.0;
  }
}

std::optional<cad::host::EntityAnswer> PromptInteraction::GetEntity(const std::string& prompt) {
  const auto answer = Ask(prompt, "ハンドル");
  if (!answer || Trim(*answer).empty()) return std::nullopt;
  return cad::host::EntityAnswer{Trim(*answer), {}};
}

std::optional<TAcadPoint> PromptInteraction::GetInsertionPoint(const std::string& blockName) {
  return GetPoint(blockName + " の挿入点", std::nullopt);
}

}  // namespace vorn::ui
