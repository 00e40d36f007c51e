// The update window in each demonstrated state, in the program's look: the right page, and no
// text cut or overlapping. With HM_SCREENSHOT_DIR set, each state is also saved as update-<mode>.png.
#include <QDir>
#include <QLabel>
#include <QStackedWidget>
#include <QTest>

#include "LayoutCheck.h"
#include "gui/UpdateDemo.h"
#include "gui/UpdateForm.h"
#include "support/TestSupport.h"

namespace {

TEST(UpdateDemo, EveryStateShowsItsPageWithNothingCut) {
  layoutcheck::UseProgramLook();
  const QStringList pages = {"TabSheet1", "rzTabLoading", "rzTabError", "TabSheet2"};
  ASSERT_EQ(UpdateDemoModeNames().size(), pages.size());
  for (int i = 0; i < pages.size(); ++i) {
    const QString mode = UpdateDemoModeNames()[i];
    SCOPED_TRACE(mode.toStdString());
    const auto demoMode = UpdateDemoModeNamed(mode);
    ASSERT_TRUE(demoMode.has_value());
    std::unique_ptr<TfrmUpdate> form = NewUpdateDemo(*demoMode);
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    EXPECT_EQ(form->findChild<QStackedWidget*>("RzPageControl1")->currentWidget()->objectName(), pages[i]);
    EXPECT_EQ(layoutcheck::CutTexts(*form), QStringList());
    EXPECT_EQ(layoutcheck::OverlappingControls(*form), QStringList());
    EXPECT_TRUE(layoutcheck::SaveScreenshot(*form, "update-" + mode));
  }
  EXPECT_FALSE(UpdateDemoModeNamed("other").has_value());
}

}  // namespace
