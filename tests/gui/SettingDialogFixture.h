#pragma once
// Helpers for the settings, rule and engines dialog tests: a program folder of the test's own,
// named controls, typing into boxes, and answering a dialog that another one shows modally.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <functional>
#include <stdexcept>

#include "support/TestSupport.h"
#include "util/ProgramPaths.h"

namespace dialogtest {

// A program folder with nothing in it yet (no Data, no Engine).
struct TInstall {
  testsupport::TempDir dir;
  TProgramPaths paths{dir.path()};

  QString DataFile(const QString& name) const { return paths.dataFolder() + name; }
  QByteArray Read(const QString& name) const { return testsupport::ReadFile(DataFile(name)); }
  void Write(const QString& name, const QByteArray& bytes) const {
    testsupport::WriteFile(DataFile(name), bytes);
  }
};

// The control with that object name; a missing one fails the test (by exception).
template <typename T>
T* Child(const QObject& parent, const char* name) {
  T* child = parent.findChild<T*>(QString::fromLatin1(name));
  if (!child) throw std::runtime_error(std::string("no control named ") + name);
  return child;
}

// Typing as a user does: ASCII through key presses, other characters committed by the input
// method (the way Chinese reaches a box).
inline void Type(QWidget* box, const QString& text) {
  box->setFocus();
  for (const QChar c : text) {
    if (c.unicode() < 0x80) {
      QTest::keyClick(box, c.toLatin1());
    } else {
      QInputMethodEvent commit;
      commit.setCommitString(QString(c));
      QApplication::sendEvent(box, &commit);
    }
  }
}

inline void Retype(QLineEdit* edit, const QString& text) {
  edit->selectAll();
  QTest::keyClick(edit, Qt::Key_Delete);
  Type(edit, text);
}

// On the box itself: a check box stretched by its layout answers only on its box and caption.
inline void Click(QAbstractButton* button) {
  if (qobject_cast<QCheckBox*>(button))
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
  else
    QTest::mouseClick(button, Qt::LeftButton);
}

// Replaces the box's text by typing `lines`, Return between them (and after the last one when
// `finalBreak`), as a user would.
inline void TypeLines(QPlainTextEdit* memo, const QStringList& lines, bool finalBreak = false) {
  memo->setFocus();
  memo->selectAll();
  QTest::keyClick(memo, Qt::Key_Delete);
  for (qsizetype i = 0; i < lines.size(); ++i) {
    Type(memo, lines[i]);
    if (i + 1 < lines.size() || finalBreak) QTest::keyClick(memo, Qt::Key_Return);
  }
}

// Runs `answer` on the dialog of type T once it is the active modal window (it is shown by a
// call that does not return until it closes). A dialog that never comes fails the test; one left
// open by the answer is rejected, so no test ever hangs.
template <typename T>
void AnswerModal(std::function<void(T&)> answer) {
  auto* timer = new QTimer;
  auto waited = std::make_shared<int>(0);
  QObject::connect(timer, &QTimer::timeout, [timer, waited, answer] {
    QWidget* modal = QApplication::activeModalWidget();
    if (T* dialog = qobject_cast<T*>(modal)) {
      timer->stop();
      timer->deleteLater();
      answer(*dialog);
      if (dialog->isVisible()) {
        ADD_FAILURE() << "the answer left the dialog open";
        dialog->reject();
      }
      return;
    }
    if (++*waited > 500) {
      timer->stop();
      timer->deleteLater();
      ADD_FAILURE() << "no modal dialog of the expected type appeared";
      if (auto* other = qobject_cast<QDialog*>(modal)) other->reject();
    }
  });
  timer->start(10);
}

}  // namespace dialogtest
