#include "ui/japanese_font.h"

#include <QFontDatabase>
#include <array>

namespace vorn::ui {

namespace {

// Stand-ins in order of preference: the IPA fonts are what the install script provides.
constexpr std::array kProportional = {"IPAPGothic",   "IPA Pゴシック", "Noto Sans CJK JP",
                                      "Noto Sans JP", "VL PGothic",    "TakaoPGothic"};
constexpr std::array kFixed = {"IPAGothic", "IPAゴシック", "Noto Sans Mono CJK JP",
                               "VL Gothic", "TakaoGothic", "Noto Sans CJK JP"};

bool IsProportional(const QString& wanted) {
  // "ＭＳ Ｐゴシック", "MS PGothic": the P marks the proportional face.
  return wanted.contains(QStringLiteral("Ｐ")) || wanted.contains(QStringLiteral("PGothic"));
}

template <class List>
QString FirstInstalled(const List& candidates, const QStringList& families) {
  for (const char* candidate : candidates) {
    const QString name = QString::fromUtf8(candidate);
    if (families.contains(name, Qt::CaseInsensitive)) return name;
  }
  return {};
}

}  // namespace

QString ChooseJapaneseFamily(const QString& wanted, const QStringList& families) {
  if (families.contains(wanted, Qt::CaseInsensitive)) return wanted;
  const QString same = IsProportional(wanted) ? FirstInstalled(kProportional, families)
                                              : FirstInstalled(kFixed, families);
  if (!same.isEmpty()) return same;
  const QString other = IsProportional(wanted) ? FirstInstalled(kFixed, families)
                                               : FirstInstalled(kProportional, families);
  return other.isEmpty() ? wanted : other;
}

QFont JapaneseFont(const QString& wanted, int pixelHeight) {
  QFont font(ChooseJapaneseFamily(wanted, QFontDatabase::families()));
  font.setPixelSize(pixelHeight);
  return font;
}

}  // namespace vorn::ui
