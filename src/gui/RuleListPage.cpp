#include "gui/RuleListPage.h"

#include <QAction>
#include <QBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QTreeWidget>

#include "gui/MessageBox.h"
#include "gui/RuleDialog.h"
#include "gui/SettingWidgets.h"
#include "settings/DayCount.h"
#include "settings/SQLiteError.h"
#include "settings/SettingsLog.h"
#include "settings/TxtReplaceRules.h"

namespace {

constexpr int kIdRole = Qt::UserRole;

// The user's short date and long time without a time zone: 2015/7/1 9:05:03 on a Chinese system.
QString CreatedText(double dayCount) {
  const QLocale locale;
  const QDateTime created = DayCountToDateTime(dayCount);
  QString timeFormat = locale.timeFormat(QLocale::LongFormat);
  timeFormat.remove(QLatin1Char('t'));
  return locale.toString(created.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
         locale.toString(created.time(), timeFormat.trimmed());
}
}  // namespace

TRuleListPage::TRuleListPage(QString dbPath, QWidget* parent) : QWidget(parent), dbPath_(std::move(dbPath)) {
  Label9 = WrappingLabel(this, "Label9",
                         tr("检测到压缩包内的文本文件(*.txt)内容中包含指定字符串，则替换成指定内容。"
                            "本操作发生在“txt文件清理”之前。"));
  lvTxtReplace = NewReportList(this, "lvTxtReplace", {{tr("说明"), 300}, {tr("时间"), 130}});
  lvTxtReplace->setContextMenuPolicy(Qt::CustomContextMenu);

  PopupMenu1 = Named(new QMenu(this), "PopupMenu1");
  N1 = Named(PopupMenu1->addAction(tr("添加数据")), "N1");
  N2 = Named(PopupMenu1->addAction(tr("修改数据")), "N2");
  N3 = Named(PopupMenu1->addAction(tr("删除数据")), "N3");

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Label9);
  layout->addWidget(lvTxtReplace, 1);

  connect(N1, &QAction::triggered, this, &TRuleListPage::N1Click);
  connect(N2, &QAction::triggered, this, &TRuleListPage::N2Click);
  connect(N3, &QAction::triggered, this, &TRuleListPage::N3Click);
  connect(lvTxtReplace, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    UpdateActions();
    PopupMenu1->popup(lvTxtReplace->viewport()->mapToGlobal(at));
  });
  connect(lvTxtReplace, &QTreeWidget::itemDoubleClicked, this, &TRuleListPage::N2Click);
  connect(lvTxtReplace, &QTreeWidget::itemSelectionChanged, this, &TRuleListPage::UpdateActions);
  UpdateActions();
}

void TRuleListPage::LoadTxtReplaceList() {
  const std::vector<TxtReplaceRule> rules = LoadTxtReplaceRules(dbPath_);
  lvTxtReplace->clear();
  SetFirstColumnCaption(tr("备注(正在载入)"));
  QList<QTreeWidgetItem*> rows;
  rows.reserve(qsizetype(rules.size()));
  for (const TxtReplaceRule& rule : rules) {
    auto* row = new QTreeWidgetItem({rule.Name, CreatedText(rule.floatData1)});
    row->setData(0, kIdRole, rule.ID);
    rows << row;
  }
  lvTxtReplace->addTopLevelItems(rows);
  SetFirstColumnCaption(tr("备注(%1)").arg(rows.size()));
  UpdateActions();
}

void TRuleListPage::N1Click() {
  TfrmAddTxtReplace dialog(dbPath_, this);
  ShowRuleDialog(dialog);
}

void TRuleListPage::N2Click() {
  const QTreeWidgetItem* row = SelectedRow();
  if (!row) return;
  TfrmAddTxtReplace dialog(dbPath_, this);
  dialog.LoadByEdit(row->data(0, kIdRole).toLongLong());
  ShowRuleDialog(dialog);
}

void TRuleListPage::N3Click() {
  QTreeWidgetItem* row = SelectedRow();
  if (!row) return;
  if (!msgbox::Confirm(this, tr("是否确认要删除该模板？\r\n\r\n注意：一旦删除将不可恢复。"))) return;
  try {
    DeleteTxtReplaceRule(dbPath_, row->data(0, kIdRole).toLongLong());
  } catch (const ESQLiteException& error) {
    qCWarning(lcSettings) << "deleting a text-replacement rule failed:" << error.message();
    msgbox::Warning(this, error.message());
    return;
  }
  delete row;
  SetFirstColumnCaption(tr("名称(%1)").arg(lvTxtReplace->topLevelItemCount()));
  UpdateActions();
}

void TRuleListPage::ShowRuleDialog(TfrmAddTxtReplace& dialog) {
  if (dialog.exec() == QDialog::Accepted) LoadTxtReplaceList();
}

QTreeWidgetItem* TRuleListPage::SelectedRow() const {
  const QList<QTreeWidgetItem*> selected = lvTxtReplace->selectedItems();
  return selected.isEmpty() ? nullptr : selected.first();
}

void TRuleListPage::SetFirstColumnCaption(const QString& caption) {
  lvTxtReplace->headerItem()->setText(0, caption);
}

void TRuleListPage::UpdateActions() {
  const bool selected = SelectedRow() != nullptr;
  N2->setEnabled(selected);
  N3->setEnabled(selected);
}
