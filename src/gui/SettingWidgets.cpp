#include "gui/SettingWidgets.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTextDocument>
#include <QTreeWidget>

#include "util/TextFile.h"

QPlainTextEdit* NewMemo(QWidget* parent, const char* name, QPlainTextEdit::LineWrapMode wrap) {
  auto* memo = Named(new QPlainTextEdit(parent), name);
  memo->setLineWrapMode(wrap);
  memo->setTabChangesFocus(true);
  if (wrap != QPlainTextEdit::NoWrap) memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  return memo;
}

QPushButton* NewButton(QWidget* parent, const char* name, const QString& caption) {
  return Named(new QPushButton(caption, parent), name);
}

QCheckBox* NewCheck(QWidget* parent, const char* name, const QString& caption, const QString& hint) {
  auto* check = Named(new QCheckBox(caption, parent), name);
  check->setToolTip(hint);
  return check;
}

QTreeWidget* NewReportList(QWidget* parent, const char* name, const QList<QPair<QString, int>>& columns) {
  auto* list = Named(new QTreeWidget(parent), name);
  list->setColumnCount(int(columns.size()));
  QStringList captions;
  for (const auto& [caption, width] : columns) captions << caption;
  list->setHeaderLabels(captions);
  for (int i = 0; i < columns.size(); ++i) list->setColumnWidth(i, columns[i].second);
  list->setRootIsDecorated(false);
  list->setUniformRowHeights(true);
  list->setSelectionBehavior(QAbstractItemView::SelectRows);
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  list->setEditTriggers(QAbstractItemView::NoEditTriggers);
  return list;
}

QLabel* BuddyLabel(const QString& caption, QWidget* buddy) {
  auto* label = new QLabel(caption, buddy->parentWidget());
  label->setBuddy(buddy);
  return label;
}

QLabel* WrappingLabel(QWidget* parent, const char* name, const QString& caption) {
  auto* label = Named(new QLabel(caption, parent), name);
  label->setWordWrap(true);
  label->setTextFormat(Qt::PlainText);
  return label;
}

QString MemoText(const QPlainTextEdit* memo) {
  // The raw text separates lines with the paragraph separator.
  QString text = memo->document()->toRawText();
  text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
  return CrLfLineBreaks(text);
}
