// The update window in each demonstrated state: the right page, and no text cut or overlapping.
// With HM_SCREENSHOT_DIR set, each state is also saved there as update-<mode>.png (run it under
// Xvfb with QT_QPA_PLATFORM=xcb for pictures as a user sees them).
#include <QDir>
#include <QLabel>
#include <QStackedWidget>
#include <QTest>

#include "gui/UpdateDemo.h"
#include "gui/UpdateForm.h"
#include "support/TestSupport.h"

namespace {

// Visible labels whose text needs more room than they got.
QStringList CutLabels(QWidget& form) {
  QStringList cut;
  for (QLabel* label : form.findChildren<QLabel*>()) {
    if (!label->isVisibleTo(&form) || label->text().isEmpty()) continue;
    const bool fits = label->wordWrap() ? label->height() >= label->heightForWidth(label->width())
                                        : label->width() >= label->sizeHint().width();
    if (!fits) cut << label->objectName() + ": " + label->text();
  }
  return cut;
}

// Pairs of visible sibling controls that overlap.
QStringList Overlaps(QWidget& form) {
  QStringList overlaps;
  QList<QWidget*> parents = form.findChildren<QWidget*>();
  parents << &form;
  for (QWidget* parent : parents) {
    QList<QWidget*> children;
    for (QObject* child : parent->children()) {
      auto* widget = qobject_cast<QWidget*>(child);
      if (widget && widget->isVisibleTo(&form) && !widget->isWindow()) children << widget;
    }
    for (int i = 0; i < children.size(); ++i)
      for (int j = i + 1; j < children.size(); ++j)
        if (children[i]->geometry().intersects(children[j]->geometry()))
          overlaps << children[i]->objectName() + " / " + children[j]->objectName();
  }
  return overlaps;
}

TEST(UpdateDemo, EveryStateShowsItsPageWithNothingCut) {
  const QString shots = qEnvironmentVariable("HM_SCREENSHOT_DIR");
  if (!shots.isEmpty()) QDir().mkpath(shots);
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
    EXPECT_EQ(CutLabels(*form), QStringList());
    EXPECT_EQ(Overlaps(*form), QStringList());
    if (!shots.isEmpty()) {
      EXPECT_TRUE(form->grab().save(shots + "/update-" + mode + ".png"));
    }
  }
  EXPECT_FALSE(UpdateDemoModeNamed("other").has_value());
}

}  // namespace
