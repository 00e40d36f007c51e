#pragma once
// Checks of a window as a user sees it, in the program's own look: no text cut, no two controls
// overlapping. With HM_SCREENSHOT_DIR set the window is also saved there as a PNG (run under
// Xvfb with QT_QPA_PLATFORM=xcb for pictures as a user sees them; scripts/screenshots does).
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <QStyle>

#include "gui/Theme.h"

namespace layoutcheck {

// The program's style, palette and font, as main() sets them.
inline void UseProgramLook() {
  static const bool applied = [] {
    theme::Apply(*qApp);
    return true;
  }();
  (void)applied;
}

inline QString NameOf(const QWidget& widget) {
  if (!widget.objectName().isEmpty()) return widget.objectName();
  if (const auto* label = qobject_cast<const QLabel*>(&widget)) return label->text();
  if (const auto* button = qobject_cast<const QAbstractButton*>(&widget)) return button->text();
  return QString::fromLatin1(widget.metaObject()->className());
}

// The controls a user sees now: texts, buttons, boxes, edits, lists.
inline QList<QWidget*> VisibleControls(const QWidget& window) {
  QList<QWidget*> controls;
  for (QWidget* widget : window.findChildren<QWidget*>()) {
    if (!widget->isVisibleTo(&window) || widget->isWindow() || widget->objectName().startsWith(QStringLiteral("qt_")))
      continue;
    if (qobject_cast<QLabel*>(widget) || qobject_cast<QAbstractButton*>(widget) || qobject_cast<QGroupBox*>(widget) ||
        widget->inherits("QLineEdit") || widget->inherits("QComboBox") || widget->inherits("QAbstractScrollArea") ||
        widget->inherits("QAbstractSpinBox") || widget->inherits("QProgressBar"))
      controls << widget;
  }
  return controls;
}

// Texts that got less room than they need.
inline QStringList CutTexts(const QWidget& window) {
  QStringList cut;
  for (const QWidget* widget : VisibleControls(window)) {
    const auto* label = qobject_cast<const QLabel*>(widget);
    const auto* button = qobject_cast<const QPushButton*>(widget);
    if (!label && !qobject_cast<const QAbstractButton*>(widget) && !qobject_cast<const QGroupBox*>(widget)) continue;
    if (label && label->text().isEmpty()) continue;
    if (widget->parentWidget() && widget->parentWidget()->inherits("QComboBox")) continue;
    bool fits;
    if (button) {
      // Push buttons have a style's minimum width beyond their text; the text must fit.
      const int margin = button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
      fits = button->width() >= button->fontMetrics().horizontalAdvance(button->text()) + margin;
    } else if (label && label->wordWrap()) {
      fits = label->height() >= label->heightForWidth(label->width());
    } else {
      fits = widget->width() >= widget->minimumSizeHint().width() &&
             widget->height() >= widget->minimumSizeHint().height();
    }
    if (!fits) cut << NameOf(*widget);
  }
  return cut;
}

// Pairs of controls side by side in one parent that share a pixel.
inline QStringList OverlappingControls(const QWidget& window) {
  QStringList overlaps;
  const QList<QWidget*> controls = VisibleControls(window);
  for (qsizetype i = 0; i < controls.size(); ++i)
    for (qsizetype j = i + 1; j < controls.size(); ++j) {
      const QWidget* a = controls[i];
      const QWidget* b = controls[j];
      if (a->parentWidget() == b->parentWidget() && a->geometry().intersects(b->geometry()))
        overlaps << NameOf(*a) + QStringLiteral(" / ") + NameOf(*b);
    }
  return overlaps;
}

// Saves the widget as <name>.png when HM_SCREENSHOT_DIR names a folder; true otherwise too.
inline bool SaveScreenshot(QWidget& widget, const QString& name) {
  const QString folder = qEnvironmentVariable("HM_SCREENSHOT_DIR");
  if (folder.isEmpty()) return true;
  QDir().mkpath(folder);
  return widget.grab().save(folder + '/' + name + QStringLiteral(".png"));
}

}  // namespace layoutcheck
