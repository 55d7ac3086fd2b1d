// The form model speaks UTF-8 std::string; Qt speaks QString.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace vorn::ui {

inline QString Q(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string U8(const QString& text) { return text.toUtf8().toStdString(); }

}  // namespace vorn::ui
