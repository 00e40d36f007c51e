// Every page of the settings dialog, the rule dialog and the engines dialog in their demo state,
// in the program's look: no caption is cut and no two controls overlap. With HM_SCREENSHOT_DIR
// set, each is also saved there as a PNG.
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

#include "LayoutCheck.h"
#include "SettingDialogFixture.h"
#include "gui/SettingDemos.h"

using dialogtest::Child;

namespace {

void Check(QWidget& window, const QString& name) {
  window.show();
  QApplication::processEvents();
  EXPECT_EQ(layoutcheck::CutTexts(window), QStringList()) << name.toStdString();
  EXPECT_EQ(layoutcheck::OverlappingControls(window), QStringList()) << name.toStdString();
  EXPECT_TRUE(layoutcheck::SaveScreenshot(window, name)) << name.toStdString();
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
  EXPECT_TRUE(layoutcheck::SaveScreenshot(*tip, name));
  QToolTip::hideText();
}

TEST(SettingScreens, EveryPageOfTheSettingsDialog) {
  layoutcheck::UseProgramLook();
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
  layoutcheck::UseProgramLook();
  const dialogtest::TInstall install;
  const std::unique_ptr<TfrmAddTxtReplace> dialog = DemoRuleDialog(install.paths);
  EXPECT_EQ(Child<QLineEdit>(*dialog, "edtDes")->text(), QStringLiteral("替换旧网址"));
  Check(*dialog, QStringLiteral("rule-dialog"));
}

TEST(SettingScreens, EnginesDialog) {
  layoutcheck::UseProgramLook();
  const std::unique_ptr<TfrmEngineInfo> dialog = DemoEngineInfoDialog(TProgramPaths(testsupport::BinDir()));
  Check(*dialog, QStringLiteral("engines-dialog"));
}

}  // namespace
