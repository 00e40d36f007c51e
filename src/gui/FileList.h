#pragma once
// The content viewer (`TfrmFileList`): the entry names of one output archive, in archive order,
// under a column caption that counts them; control characters in a name are shown as escapes
// (VisibleName).
#include <QDialog>
#include <QStringList>

class QTreeWidget;

class TfrmFileList : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmFileList(QWidget* owner);

  void SetFileNames(const QStringList& names);

  QTreeWidget* ListView1;
};
