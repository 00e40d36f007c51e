#include "gui/FileList.h"

#include <QHeaderView>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "gui/VisibleName.h"

TfrmFileList::TfrmFileList(QWidget* owner) : QDialog(owner), ListView1(new QTreeWidget(this)) {
  setWindowTitle(tr("文件列表"));
  ListView1->setColumnCount(1);
  ListView1->setHeaderLabels({tr("文件名")});
  ListView1->setColumnWidth(0, 400);
  ListView1->setRootIsDecorated(false);
  ListView1->setUniformRowHeights(true);
  ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(ListView1);
  resize(550, 392);
}

void TfrmFileList::SetFileNames(const QStringList& names) {
  ListView1->clear();
  QList<QTreeWidgetItem*> rows;
  rows.reserve(names.size());
  for (const QString& name : names) rows << new QTreeWidgetItem(QStringList{VisibleName(name)});
  ListView1->addTopLevelItems(rows);
  ListView1->setHeaderLabels({tr("文件名(%1)").arg(rows.size())});
}
