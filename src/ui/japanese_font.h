// The fonts the window asks for are Windows fonts; elsewhere a Japanese font the system has
// stands in, so that the captions neither turn into boxes nor change width wildly.
#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

namespace vorn::ui {

// The family to use for `wanted` among the installed `families`: `wanted` itself when
// installed, else the first installed Japanese family of the same kind (proportional for the
// "Ｐ" fonts, fixed-pitch for the others), else any installed Japanese family, else `wanted`
// (Qt then falls back on its own).
QString ChooseJapaneseFamily(const QString& wanted, const QStringList& families);

// A font of `wanted` (or its stand-in on this system) `pixelHeight` pixels high.
QFont JapaneseFont(const QString& wanted, int pixelHeight);

}  // namespace vorn::ui
