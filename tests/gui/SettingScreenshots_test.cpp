// Every page of the settings dialog, the rule dialog and the engines dialog in their demo state:
// no caption is cut and no two controls overlap. With HM_SCREENSHOT_DIR set, each is also saved
// there as a PNG (run under Xvfb with QT_QPA_PLATFORM=xcb for the real look).
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleFactory>
#include <QTabWidget>
#include <QToolTip>
#include <QTreeWidget>

#include "SettingDialogFixture.h"
#include "gui/SettingDemos.h"

using dialogtest::Child;

namespace {

void UseFusion() {
  if (QApplication::style()->name().compare(QStringLiteral("fusion"), Qt::CaseInsensitive) != 0)
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
}

// The controls of the window that a user sees now.
QList<QWidget*> VisibleControls(const QWidget& window) {
  QList<QWidget*> controls;
  for (QWidget* widget : window.findChildren<QWidget*>()) {
    if (!widget->isVisibleTo(&window) || widget->objectName().startsWith(QStringLiteral("qt_"))) continue;
    if (qobject_cast<QLabel*>(widget) || qobject_cast<QAbstractButton*>(widget) ||
        qobject_cast<QGroupBox*>(widget) || widget->inherits("QLineEdit") || widget->inherits("QComboBox") ||
        widget->inherits("QAbstractScrollArea") || widget->inherits("QAbstractSpinBox"))
      controls << widget;
  }
  return controls;
}

// Text shown whole: a label or button at least as large as it needs.
void ExpectNothingCut(const QWidget& window, const std::string& where) {
  for (const QWidget* widget : VisibleControls(window)) {
    const auto* label = qobject_cast<const QLabel*>(widget);
    if (!label && !qobject_cast<const QAbstractButton*>(widget) && !qobject_cast<const QGroupBox*>(widget))
      continue;
    if (widget->parentWidget() && widget->parentWidget()->inherits("QComboBox")) continue;
    const QString name =
        widget->objectName().isEmpty() ? (label ? label->text() : QString()) : widget->objectName();
    if (const auto* button = qobject_cast<const QPushButton*>(widget)) {
      // Push buttons have a style's minimum width beyond their text; the text must fit.
      const int margin = button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
      EXPECT_GE(button->width(), button->fontMetrics().horizontalAdvance(button->text()) + margin)
          << where << ": " << name.toStdString();
    } else if (label && label->wordWrap()) {
      EXPECT_GE(widget->height(), label->heightForWidth(widget->width()))
          << where << ": " << name.toStdString();
    } else {
      EXPECT_GE(widget->width(), widget->minimumSizeHint().width()) << where << ": " << name.toStdString();
      EXPECT_GE(widget->height(), widget->minimumSizeHint().height()) << where << ": " << name.toStdString();
    }
  }
}

// No two controls side by side in one parent share a pixel.
void ExpectNoOverlap(const QWidget& window, const std::string& where) {
  const QList<QWidget*> controls = VisibleControls(window);
  for (qsizetype i = 0; i < controls.size(); ++i) {
    for (qsizetype j = i + 1; j < controls.size(); ++j) {
      const QWidget* a = controls[i];
      const QWidget* b = controls[j];
      if (a->parentWidget() != b->parentWidget()) continue;
      EXPECT_FALSE(a->geometry().intersects(b->geometry()))
          << where << ": " << a->objectName().toStdString() << " and " << b->objectName().toStdString();
    }
  }
}

void Save(QWidget& widget, const QString& name) {
  const QString folder = qEnvironmentVariable("HM_SCREENSHOT_DIR");
  if (folder.isEmpty()) return;
  QDir().mkpath(folder);
  EXPECT_TRUE(widget.grab().save(folder + '/' + name + QStringLiteral(".png"))) << name.toStdString();
}

void Check(QWidget& window, const QString& name) {
  window.show();
  QApplication::processEvents();
  ExpectNothingCut(window, name.toStdString());
  ExpectNoOverlap(window, name.toStdString());
  Save(window, name);
}

// The hint as the tip window shows it: as plain text, every line of it.
void CheckHint(QWidget& control, const QString& name) {
  QToolTip::showText(control.mapToGlobal(QPoint(4, 4)), control.toolTip(), &control);
  QApplication::processEvents();
  QLabel* tip = nullptr;
  for (QWidget* window : QApplication::topLevelWidgets())
    if (window->isVisible() && window->inherits("QTipLabel")) tip = qobject_cast<QLabel*>(window);
  ASSERT_NE(tip, nullptr) << name.toStdString();
  EXPECT_EQ(tip->textFormat() == Qt::RichText || Qt::mightBeRichText(tip->text()), false);
  EXPECT_GT(tip->height(), control.toolTip().count('\n') * tip->fontMetrics().height()) << name.toStdString();
  Save(*tip, name);
  QToolTip::hideText();
}

TEST(SettingScreens, EveryPageOfTheSettingsDialog) {
  UseFusion();
  const dialogtest::TInstall install;
  const std::unique_ptr<TfrmSetting> dialog = DemoSettingDialog(install.paths);
  auto* pages = Child<QTabWidget>(*dialog, "PageControl1");
  for (int i = 0; i < pages->count(); ++i) {
    pages->setCurrentIndex(i);
    Check(*dialog, QStringLiteral("settings-%1-%2").arg(i + 1).arg(pages->widget(i)->objectName()));
  }
  pages->setCurrentIndex(0);
  CheckHint(*Child<QWidget>(*dialog, "edtFileName"), QStringLiteral("settings-hint-edtFileName"));
  CheckHint(*Child<QWidget>(*dialog, "chkRARToFrom"), QStringLiteral("settings-hint-chkRARToFrom"));
  // The rule page shows the demo rules, highest priority first.
  EXPECT_EQ(Child<QTreeWidget>(*dialog, "lvTxtReplace")->topLevelItemCount(), 3);
}

TEST(SettingScreens, RuleDialog) {
  UseFusion();
  const dialogtest::TInstall install;
  const std::unique_ptr<TfrmAddTxtReplace> dialog = DemoRuleDialog(install.paths);
  EXPECT_EQ(Child<QLineEdit>(*dialog, "edtDes")->text(), QStringLiteral("替换旧网址"));
  Check(*dialog, QStringLiteral("rule-dialog"));
}

TEST(SettingScreens, EnginesDialog) {
  UseFusion();
  const std::unique_ptr<TfrmEngineInfo> dialog = DemoEngineInfoDialog(TProgramPaths(testsupport::BinDir()));
  Check(*dialog, QStringLiteral("engines-dialog"));
}

}  // namespace
