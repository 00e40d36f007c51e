#pragma once
// What window tests share: a program folder of their own (the build's engines, settings written
// by the test), the event loop kept running while a test waits, and a hand for modal dialogs.
#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <functional>

#include "MessageRecorder.h"
#include "gui/MainWindow.h"
#include "gui/PathPicker.h"
#include "settings/Settings.h"
#include "support/TestSupport.h"

struct WindowHome {
  testsupport::TempDir dir;
  QString home = dir.path();
  TProgramPaths paths{home};

  // tipsShown: as on a computer where both first-use tips were shown before.
  explicit WindowHome(bool tipsShown = false) {
    QFile::link(testsupport::EngineDir(), home + "/Engine");
    testsupport::MakeDir(home + "/in");
    if (tipsShown) TipsShown();
  }

  QString In(const QString& name) const { return home + "/in/" + name; }
  QString Out(const QString& name) const { return home + "/out/" + name; }

  // Settings for runs that finish quickly and are checked by independent tools: ZIP into out/.
  TSettings QuickSettings() const {
    TSettings s;
    s.OutputFolder = home + "/out";
    s.CompressExt = ofZIP;
    s.LockRAR = false;
    return s;
  }
  void Save(const TSettings& settings) const { ASSERT_TRUE(SaveSettings(paths, settings)); }
  // As on a computer where both first-use tips were shown before.
  void TipsShown() const {
    SetMachineValue(paths, "Run", "1");
    SetMachineValue(paths, "Pack", "1");
  }
};

// A program folder whose RAR packer takes a minute, and says when it has started; items worked on
// at once as `jobs` asks (one after another unless told).
struct SlowPackerHome : WindowHome {
  explicit SlowPackerHome(int jobs = 1) : WindowHome(true) {
    QFile::remove(home + "/Engine");
    testsupport::WriteFile(home + "/Engine/rar", ("#!/bin/sh\ntouch '" + home + "/packer-started.'$$\nexec sleep 60\n").toUtf8());
    QFile::setPermissions(home + "/Engine/rar", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    TSettings settings = QuickSettings();
    settings.CompressExt = ofRAR;
    settings.Jobs = jobs;
    Save(settings);
    testsupport::WriteFile(In("first/a.bin"), "a");
    testsupport::WriteFile(In("second/b.bin"), "b");
  }
  // How many packers have started so far.
  int PackersStarted() const {
    return int(QDir(home).entryList({QStringLiteral("packer-started.*")}, QDir::Files).size());
  }
  bool PackerStarted() const { return PackersStarted() > 0; }
};

// A shown window over a program folder of its own where the first-use tips were shown before,
// every message box it shows recorded.
class ShownWindow : public ::testing::Test {
 protected:
  ShownWindow() { w.show(); }

  WindowHome h{true};
  TMessageRecorder recorder;
  Tfrmmain w{h.paths};
};

// A window whose settings dialog is a function the test gives: it may write new settings, and
// returns whether it closed with OK.
class WindowWithSettingsDialog : public Tfrmmain {
 public:
  using Tfrmmain::Tfrmmain;
  std::function<bool()> dialog = [] { return false; };
  int opened = 0;

 protected:
  bool ExecSettingsDialog() override {
    ++opened;
    return dialog();
  }
};

// Keeps the event loop running until done() holds; false after the timeout.
inline bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 120000) {
  return QTest::qWaitFor(done, timeoutMs);
}

// The next modal dialog of type Dialog to be shown is handed to `handle`, inside its own event
// loop; the handler must close it.
template <typename Dialog>
void OnNextModal(std::function<void(Dialog*)> handle) {
  auto* timer = new QTimer;
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, [timer, handle] {
    auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    timer->stop();
    timer->deleteLater();
    handle(dialog);
  });
  timer->start();
}

// A picker takes the user's choice only once it has been on the screen a moment; a test that
// plays a user who chooses waits for that. One that never settles fails the test and is closed.
inline void WaitUntilSettled(QFileDialog* picker) {
  const auto* settling = dynamic_cast<TPathPicker*>(picker);
  if (settling && WaitUntil([settling] { return settling->settled(); }, 60000)) return;
  ADD_FAILURE() << "the picker never settled";
  picker->reject();
}

// Drops the URLs onto the target as a file manager does: enter, then drop.
inline void Drop(QWidget* target, const QList<QUrl>& urls) {
  QMimeData mime;
  mime.setUrls(urls);
  const QPoint at = target->rect().center();
  QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &enter);
  ASSERT_TRUE(enter.isAccepted());
  QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &drop);
}

inline void Click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton); }

// The list's row texts, one list per row.
inline QList<QStringList> RowTexts(const TBatchList& list) {
  QList<QStringList> rows;
  for (int i = 0; i < list.RowCount(); ++i) {
    QStringList cells;
    for (int c = 0; c < TBatchList::colCount; ++c) cells << list.Row(i)->text(c);
    rows << cells;
  }
  return rows;
}
