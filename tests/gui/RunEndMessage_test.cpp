// The end of a run with failures says so in a real message box, whatever the user did with the
// About window during the run: opened and closed it, or still has it open when the run ends.
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QMessageBox>

#include "WindowFixture.h"
#include "gui/About.h"

using testsupport::WriteFile;

namespace {

constexpr int kItems = 30;
// Past this the About window is closed whatever the case waits for, so that no test hangs.
constexpr int kAboutBoundMs = 60000;

struct Case {
  const char* name;
  // When the user closes the About window.
  std::function<bool(const Tfrmmain&)> closeAbout;
  bool closedBeforeTheEnd;
};

bool RunEnded(const Tfrmmain& w) { return w.lblState->text().startsWith("状态:打包完毕"); }

bool AboutOpen() {
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (qobject_cast<TfrmAbout*>(widget) && widget->isVisible()) return true;
  return false;
}

TEST(RunEndMessage, ComesAfterTheAboutWindowWasClosed) {
  const Case cases[] = {
      {"closed during the run",
       [](const Tfrmmain& w) { return w.ListView1->Row(0)->text(TBatchList::colState) == "无法解压"; }, true},
      {"open when the run ends", RunEnded, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WindowHome h(true);
    h.Save(h.QuickSettings());
    Tfrmmain w(h.paths);
    w.show();
    for (int i = 0; i < kItems; ++i) {
      const QString source = h.In(QStringLiteral("broken%1.zip").arg(i));
      WriteFile(source, "PK\x03\x04 not an archive");
      w.ListView1->AddPath(source);
    }

    // The user: answers every box, closes the About window when the case says.
    QStringList boxes;
    int boxesOverAbout = 0;
    int boxesAfterTheRun = 0;
    bool aboutShown = false;
    bool aboutClosedBeforeTheEnd = false;
    QElapsedTimer clock;
    clock.start();
    QTimer user;
    user.setInterval(10);
    QObject::connect(&user, &QTimer::timeout, [&] {
      QWidget* modal = QApplication::activeModalWidget();
      if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        boxes << box->text();
        if (AboutOpen()) ++boxesOverAbout;
        if (!w.isRunning()) ++boxesAfterTheRun;
        Click(box->button(QMessageBox::Ok));
      } else if (auto* about = qobject_cast<TfrmAbout*>(modal)) {
        aboutShown = true;
        if (!c.closeAbout(w) && clock.elapsed() < kAboutBoundMs) return;
        aboutClosedBeforeTheEnd = !RunEnded(w);
        Click(about->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok));
      }
    });
    user.start();

    Click(w.btnStart);
    ASSERT_TRUE(w.isRunning());
    w.N9->trigger();  // returns once the About window is closed
    ASSERT_TRUE(WaitUntil([&] { return !w.isRunning(); }));

    EXPECT_TRUE(aboutShown);
    EXPECT_EQ(aboutClosedBeforeTheEnd, c.closedBeforeTheEnd);
    EXPECT_EQ(boxes, QStringList{QStringLiteral("%1个打包失败，请注意核对。").arg(kItems)});
    EXPECT_EQ(boxesOverAbout, 0) << "a key meant for the About window would dismiss the box unread";
    EXPECT_EQ(boxesAfterTheRun, 0) << "the run stays active until the box is read";
    EXPECT_EQ(w.lblState->text(), "状态:打包完毕,共完成0个。");
  }
}

}  // namespace
