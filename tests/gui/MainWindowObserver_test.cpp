// The window's side of a run on two workers (offscreen, a scripted facade): a warning box open in
// the window holds up the worker that raised it and nothing else.
#include <QMessageBox>
#include <QSet>
#include <QThread>
#include <atomic>

#include "WindowFixture.h"
#include "app/FakeFacade.h"
#include "app/StatusTexts.h"

using testsupport::WriteFile;

namespace {

TEST(MainWindowObserver, AWarningBoxHoldsUpOnlyTheWorkerThatRaisedIt) {
  WindowHome h(true);
  Tfrmmain w(h.paths);
  w.show();
  WriteFile(h.In("works.zip"), "PK archive bytes");
  WriteFile(h.In("warns.zip"), "PK archive bytes");
  w.ListView1->AddPath(h.In("works.zip"));
  w.ListView1->AddPath(h.In("warns.zip"));

  std::atomic<bool> boxOpen{false};
  FakeFacade fake;
  fake.archives["works.zip"].content = {{"a.bin", "a"}};
  fake.archives["warns.zip"].content = {{"b.bin", "b"}};
  fake.archives["warns.zip"].warning = "please download the newest unrar library";
  // The first item reports progress until the box is open, and on while it stays open.
  fake.whileWorking = [&boxOpen](const TProgressHandler& report, TProgress::TPhase phase) {
    report({phase, 1, 10});
    for (int waited = 0; !boxOpen && waited < 20000; waited += 10) QThread::msleep(10);
    for (quint64 done = 2; done <= 10; ++done) {
      QThread::msleep(60);
      report({phase, done, 10});
    }
  };

  // Row 0 as the window shows it while the box is open.
  QSet<QString> shownMeanwhile;
  bool finishedMeanwhile = false;
  OnNextModal<QMessageBox>([&](QMessageBox* box) {
    EXPECT_EQ(box->text(), fake.archives["warns.zip"].warning);
    boxOpen = true;
    finishedMeanwhile = WaitUntil(
        [&] {
          const QString state = w.ListView1->Row(0)->text(TBatchList::colState);
          shownMeanwhile << state;
          return state == TStatusText::Packed;
        },
        20000);
    box->button(QMessageBox::Ok)->click();
  });

  TMainWindowObserver observer(w);
  TJobRunner runner(h.paths, observer, Factory(fake));
  ASSERT_TRUE(runner.Start(h.QuickSettings(), w.ListView1->Snapshot(), {.workers = 2}).started);
  ASSERT_TRUE(WaitUntil([&] { return !runner.isRunning(); }));

  EXPECT_TRUE(finishedMeanwhile) << "the first item finished while the box was open";
  EXPECT_TRUE(std::any_of(shownMeanwhile.cbegin(), shownMeanwhile.cend(),
                          [](const QString& s) { return s.contains('%'); }))
      << "its progress was shown meanwhile: "
      << QStringList(shownMeanwhile.values()).join(" | ").toStdString();
  EXPECT_EQ(w.ListView1->Row(0)->text(TBatchList::colOutputName), "works.zip");
  for (int row : {0, 1}) EXPECT_EQ(w.ListView1->Row(row)->text(TBatchList::colState), TStatusText::Packed);
}

}  // namespace
