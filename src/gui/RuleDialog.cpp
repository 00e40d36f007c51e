#include "gui/RuleDialog.h"

#include <QBoxLayout>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <limits>

#include "gui/MessageBox.h"
#include "gui/SettingWidgets.h"
#include "settings/SQLiteError.h"
#include "settings/SettingsLog.h"
#include "settings/TxtReplaceRules.h"

TfrmAddTxtReplace::TfrmAddTxtReplace(QString dbPath, QWidget* parent)
    : QDialog(parent), dbPath_(std::move(dbPath)) {
  setObjectName(QStringLiteral("frmAddTxtReplace"));
  setWindowTitle(tr("添加"));

  edtDes = Named(new QLineEdit(this), "edtDes");
  mmoFrom = NewMemo(this, "mmoFrom", QPlainTextEdit::WidgetWidth);
  mmoTo = NewMemo(this, "mmoTo", QPlainTextEdit::WidgetWidth);
  sePriority = Named(new QSpinBox(this), "sePriority");
  sePriority->setRange(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
  sePriority->setValue(0);
  sePriority->setToolTip(tr("数字越大,优先级越高。优先级越高,越会优先替换。"));
  btnOK = NewButton(this, "btnOK", tr("确定"));
  btnCancel = NewButton(this, "btnCancel", tr("取消"));
  btnOK->setDefault(true);

  auto* form = new QFormLayout;
  form->addRow(BuddyLabel(tr("备注"), edtDes), edtDes);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(BuddyLabel(tr("待替换文本"), mmoFrom));
  layout->addWidget(mmoFrom, 1);
  layout->addWidget(BuddyLabel(tr("替换后的文本"), mmoTo));
  layout->addWidget(mmoTo, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(BuddyLabel(tr("优先级"), sePriority));
  buttons->addWidget(sePriority);
  buttons->addStretch(1);
  buttons->addWidget(btnCancel);
  buttons->addWidget(btnOK);
  layout->addLayout(buttons);

  setTabOrder(edtDes, mmoFrom);
  setTabOrder(mmoFrom, mmoTo);
  setTabOrder(mmoTo, btnCancel);
  setTabOrder(btnCancel, btnOK);
  setTabOrder(btnOK, sePriority);

  connect(btnOK, &QPushButton::clicked, this, &TfrmAddTxtReplace::btnOKClick);
  connect(btnCancel, &QPushButton::clicked, this, &TfrmAddTxtReplace::btnCancelClick);
  resize(480, 400);
}

void TfrmAddTxtReplace::LoadByEdit(qint64 id) {
  selectId_ = id;
  setWindowTitle(tr("修改"));
  const std::optional<TxtReplaceRule> rule = LoadTxtReplaceRule(dbPath_, id);
  if (!rule) return;
  edtDes->setText(rule->Name);
  mmoFrom->setPlainText(rule->sValue1);
  mmoTo->setPlainText(rule->sValue2);
  sePriority->setValue(rule->intData1);
}

int TfrmAddTxtReplace::Priority() const {
  bool ok = false;
  const int value = sePriority->locale().toInt(sePriority->cleanText(), &ok);
  return ok ? value : 0;
}

void TfrmAddTxtReplace::btnOKClick() {
  if (edtDes->text().isEmpty()) {
    msgbox::Info(this, tr("请输入备注"));
    return;
  }
  TxtReplaceRule rule;
  rule.Name = edtDes->text();
  rule.sValue1 = MemoText(mmoFrom);
  rule.sValue2 = MemoText(mmoTo);
  rule.intData1 = Priority();
  try {
    if (selectId_) {
      rule.ID = *selectId_;
      UpdateTxtReplaceRule(dbPath_, rule);
    } else {
      AddTxtReplaceRule(dbPath_, rule);
    }
  } catch (const ESQLiteException& error) {
    qCWarning(lcSettings) << "storing a text-replacement rule failed:" << error.message();
    msgbox::Warning(this, error.message());
    return;
  }
  accept();
}

void TfrmAddTxtReplace::btnCancelClick() { reject(); }
