// The widgets' signals reach handlers of the window that owns them. While Qt takes the window
// apart, its children still emit (a page control losing its pages, a box losing the focus)
// after the window's own part is gone; silencing them first keeps those calls from reaching it.
#pragma once

#include <QObject>

namespace vorn::ui {

inline void QuietChildren(QObject& owner) {
  for (QObject* child : owner.findChildren<QObject*>()) child->blockSignals(true);
}

}  // namespace vorn::ui
