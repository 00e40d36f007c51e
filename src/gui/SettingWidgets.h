#pragma once
// Small builders shared by the settings, rule and engines dialogs: controls carry their design
// names as object names (tests and styles find them by those), memos behave like the edit boxes
// the settings files were designed around.
#include <QPlainTextEdit>
#include <QString>

class QCheckBox;
class QLabel;
class QPushButton;
class QTreeWidget;

template <typename W>
W* Named(W* widget, const char* name) {
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

// A multi-line box: plain text, Tab moves the focus on, scroll bars when needed.
QPlainTextEdit* NewMemo(QWidget* parent, const char* name, QPlainTextEdit::LineWrapMode wrap);
QPushButton* NewButton(QWidget* parent, const char* name, const QString& caption);
QCheckBox* NewCheck(QWidget* parent, const char* name, const QString& caption, const QString& hint = {});
// A read-only list in report view, whole rows selected, with these column captions and widths.
QTreeWidget* NewReportList(QWidget* parent, const char* name, const QList<QPair<QString, int>>& columns);
// A label for `buddy`, so clicking it or its mnemonic focuses the control.
QLabel* BuddyLabel(const QString& caption, QWidget* buddy);
// A label that wraps its text over as many lines as the width needs.
QLabel* WrappingLabel(QWidget* parent, const char* name, const QString& caption);

// The box's text exactly as typed, lines separated by CR LF as the list files and the rules store
// them (non-breaking spaces kept, which QPlainTextEdit::toPlainText would turn into spaces).
QString MemoText(const QPlainTextEdit* memo);
