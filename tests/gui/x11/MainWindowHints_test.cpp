// The main window's hints on the real X11 platform, with a window manager: resting the pointer on
// 开始打包 or the password box shows its hint, also while another window is the active one (Qt
// shows hints over the active window only, unless the window asks for them always; under a
// desktop without a window manager, or behind a file manager, the main window's never showed).
#include <QCursor>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QToolTip>

#include "../WindowFixture.h"

namespace {

// Every wait ends as soon as what it waits for happens; the bounds only keep a broken run from
// hanging (a user gave up after 11 s).
constexpr int kShowBoundMs = 60000;
constexpr int kHintBoundMs = 11000;

TEST(MainWindowHints, ShownWhereThePointerRestsActiveOrNot) {
  ASSERT_EQ(QGuiApplication::platformName(), "xcb");
  WindowHome h(true);
  TMessageRecorder recorder;
  Tfrmmain w(h.paths);
  w.move(0, 0);
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w, kShowBoundMs));
  w.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w, kShowBoundMs));

  // Another window of the program, beside the main one, takes the focus as a file manager would.
  QWidget other;
  other.setWindowTitle("other");
  other.resize(200, 100);
  other.move(w.frameGeometry().right() + 20, 0);

  const struct {
    const char* what;
    QWidget* widget;
  } hinted[] = {{"btnStart", w.btnStart}, {"edtUnCompressPwd", w.edtUnCompressPwd}};
  for (const bool active : {true, false}) {
    SCOPED_TRACE(active ? "the main window active" : "another window active");
    if (!active) {
      other.show();
      ASSERT_TRUE(QTest::qWaitForWindowExposed(&other, kShowBoundMs));
      other.activateWindow();
      ASSERT_TRUE(QTest::qWaitForWindowActive(&other, kShowBoundMs));
      ASSERT_FALSE(w.isActiveWindow());
    }
    for (const auto& c : hinted) {
      SCOPED_TRACE(c.what);
      ASSERT_FALSE(c.widget->toolTip().isEmpty());
      QToolTip::hideText();
      QCursor::setPos(w.screen(), QPoint(0, w.frameGeometry().bottom() + 40));  // off the window first
      ASSERT_TRUE(WaitUntil([] { return !QToolTip::isVisible(); }, kHintBoundMs));
      // A real pointer movement: the X server tells the window, as it does for a user's mouse.
      QCursor::setPos(w.screen(), c.widget->mapToGlobal(c.widget->rect().center()));
      EXPECT_TRUE(WaitUntil([&] { return QToolTip::isVisible() && QToolTip::text() == c.widget->toolTip(); },
                            kHintBoundMs))
          << "no hint after 11 s; showing: " << (QToolTip::isVisible() ? QToolTip::text().toStdString() : "");
    }
  }
  EXPECT_EQ(recorder.texts(), QStringList());
}

}  // namespace
