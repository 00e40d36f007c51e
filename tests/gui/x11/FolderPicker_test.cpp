// 添加目录 on the real X11 platform, with a window manager: the folder picker is on the screen
// before anything the user types counts, and a picker the user cancels adds no row.
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QGuiApplication>
#include <QWindow>

#include "../WindowFixture.h"

using testsupport::RunTool;

namespace {

// Every wait ends as soon as what it waits for happens; these bounds only keep a broken run from
// hanging.
constexpr int kShowBoundMs = 60000;
constexpr int kPickerBoundMs = 60000;

TEST(FolderPicker, AReturnTypedAheadChoosesNothingAndCancelAddsNoRow) {
  HM_REQUIRE_TOOL("xdotool");
  ASSERT_EQ(QGuiApplication::platformName(), "xcb");
  WindowHome h(true);
  TMessageRecorder recorder;
  Tfrmmain w(h.paths);
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w, kShowBoundMs));
  w.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w, kShowBoundMs));

  // The user: typed Return ahead, so it reaches the picker as it comes on the screen; then sees
  // the picker and cancels it. A picker still open at the bound (never shown, or not closed by
  // its Cancel button) is closed there, and the test fails.
  bool returnTyped = false;
  bool pickerStayed = false;
  bool pickerTimedOut = false;
  QElapsedTimer clock;
  QTimer user;
  user.setInterval(10);
  QObject::connect(&user, &QTimer::timeout, [&] {
    auto* picker = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (!picker) return;
    if (clock.elapsed() > kPickerBoundMs) {
      pickerTimedOut = true;
      picker->reject();
    } else if (!picker->windowHandle() || !picker->windowHandle()->isExposed()) {
      return;
    } else if (!returnTyped) {
      returnTyped = true;
      QTest::keyClick(picker->focusWidget() ? picker->focusWidget() : picker, Qt::Key_Return);
    } else if (!pickerStayed) {
      pickerStayed = true;
      Click(picker->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel));
    }
  });
  user.start();

  // A real click on 添加目录.
  const QPoint button = w.btnAddFolder->mapTo(&w, w.btnAddFolder->rect().center());
  clock.start();
  ASSERT_EQ(RunTool("xdotool", {"mousemove", "--window", QString::number(w.winId()),
                                QString::number(button.x()), QString::number(button.y()), "click", "1"})
                .exitCode,
            0);
  EXPECT_TRUE(WaitUntil([&] { return returnTyped && !QApplication::activeModalWidget(); },
                        kShowBoundMs + kPickerBoundMs))
      << "the picker did not open";
  // The click's handler adds its row, if any, once the picker has closed.
  QTest::qWait(100);

  EXPECT_FALSE(pickerTimedOut) << "the picker did not come on the screen, or did not close";
  EXPECT_TRUE(pickerStayed) << "the Return typed ahead closed the picker";
  EXPECT_EQ(RowTexts(*w.ListView1), QList<QStringList>()) << "a row the user never chose";
  EXPECT_EQ(recorder.texts(), QStringList());
}

}  // namespace
