// The rule page of the settings dialog and the rule dialog: add, edit and delete go to data.db at
// once, in priority order, and the settings dialog's Cancel does not undo them.
#include <gtest/gtest.h>

#include <QAction>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTreeWidget>

#include "MessageRecorder.h"
#include "SettingDialogFixture.h"
#include "gui/RuleDialog.h"
#include "gui/SettingDialog.h"
#include "settings/DayCount.h"
#include "settings/TxtReplaceRules.h"

using namespace dialogtest;

namespace {

const QString kConfirmDelete = QStringLiteral("是否确认要删除该模板？\r\n\r\n注意：一旦删除将不可恢复。");

struct TRuleFields {
  QString name;
  QStringList from;
  QStringList to;
  QString priority;  // typed into the box as it stands; "" empties it
};

// Fills the rule dialog as a user types and presses OK.
void Fill(TfrmAddTxtReplace& dialog, const TRuleFields& fields) {
  Retype(Child<QLineEdit>(dialog, "edtDes"), fields.name);
  TypeLines(Child<QPlainTextEdit>(dialog, "mmoFrom"), fields.from);
  TypeLines(Child<QPlainTextEdit>(dialog, "mmoTo"), fields.to);
  auto* priority = Child<QSpinBox>(dialog, "sePriority");
  Retype(priority->findChild<QLineEdit*>(), fields.priority);
  Click(Child<QPushButton>(dialog, "btnOK"));
}

// The settings dialog on its rule page.
struct TRulePage {
  explicit TRulePage(const TInstall& install) : dialog(install.paths), db(install.paths.databaseFile()) {
    dialog.show();
    Child<QTabWidget>(dialog, "PageControl1")->setCurrentIndex(5);
  }
  QTreeWidget* List() const { return Child<QTreeWidget>(dialog, "lvTxtReplace"); }
  QString Caption() const { return List()->headerItem()->text(0); }
  QStringList Names() const {
    QStringList names;
    for (int i = 0; i < List()->topLevelItemCount(); ++i) names << List()->topLevelItem(i)->text(0);
    return names;
  }
  void Select(int row) const {
    QTreeWidget* list = List();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->topLevelItem(row)).center());
  }
  void Menu(const char* action) const { Child<QAction>(dialog, action)->trigger(); }

  TfrmSetting dialog;
  QString db;
};

void AddRule(const TInstall& install, const QString& name) {
  TxtReplaceRule rule;
  rule.Name = name;
  AddTxtReplaceRule(install.paths.databaseFile(), rule);
}

QStringList StoredNames(const QString& db) {
  QStringList names;
  for (const TxtReplaceRule& rule : LoadTxtReplaceRules(db)) names << rule.Name;
  return names;
}

TEST(RulePage, AddEditDeleteGoToDataDbAtOnce) {
  TInstall install;
  TRulePage page(install);
  TMessageRecorder messages;
  // A fresh installation: opening the page creates data.db with its tables.
  EXPECT_TRUE(QFileInfo(page.db).isFile());
  EXPECT_EQ(page.Caption(), QStringLiteral("备注(0)"));
  EXPECT_EQ(page.List()->headerItem()->text(1), QStringLiteral("时间"));

  const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
  AnswerModal<TfrmAddTxtReplace>([](TfrmAddTxtReplace& dialog) {
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("添加"));
    EXPECT_EQ(Child<QLineEdit>(dialog, "edtDes")->text(), QString());
    EXPECT_EQ(Child<QSpinBox>(dialog, "sePriority")->value(), 0);
    Fill(dialog,
         {QStringLiteral("it's 网址"), {"www.example.com", "第二行"}, {"line 1", "", "line 3"}, "10"});
  });
  page.Menu("N1");
  EXPECT_EQ(page.Caption(), QStringLiteral("备注(1)"));
  AnswerModal<TfrmAddTxtReplace>([](TfrmAddTxtReplace& dialog) {
    Fill(dialog, {QStringLiteral("low"), {"x"}, {}, "-5"});
  });
  page.Menu("N1");
  // An emptied priority box counts as 0.
  AnswerModal<TfrmAddTxtReplace>([](TfrmAddTxtReplace& dialog) {
    Fill(dialog, {QStringLiteral("default"), {"y"}, {"z"}, ""});
  });
  page.Menu("N1");
  EXPECT_EQ(page.Caption(), QStringLiteral("备注(3)"));
  EXPECT_EQ(page.Names(), (QStringList{QStringLiteral("it's 网址"), "default", "low"}));
  EXPECT_EQ(StoredNames(page.db), page.Names());

  std::vector<TxtReplaceRule> rules = LoadTxtReplaceRules(page.db);
  const TxtReplaceRule first = rules[0];
  EXPECT_EQ(first.sValue1, QStringLiteral("www.example.com\r\n第二行")) << "lines stored with CR LF";
  EXPECT_EQ(first.sValue2, QStringLiteral("line 1\r\n\r\nline 3"));
  EXPECT_EQ(first.intData1, 10);
  EXPECT_EQ(rules[1].intData1, 0);
  EXPECT_EQ(rules[2].intData1, -5);
  const QDateTime created = DayCountToDateTime(first.floatData1);
  EXPECT_TRUE(created >= before && created <= QDateTime::currentDateTime().addSecs(1))
      << created.toString().toStdString();
  EXPECT_FALSE(page.List()->topLevelItem(0)->text(1).isEmpty());

  // Edit: the fields come back as stored; the change is stored, the creation time kept.
  page.Select(0);
  AnswerModal<TfrmAddTxtReplace>([](TfrmAddTxtReplace& dialog) {
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("修改"));
    EXPECT_EQ(Child<QLineEdit>(dialog, "edtDes")->text(), QStringLiteral("it's 网址"));
    EXPECT_EQ(Child<QPlainTextEdit>(dialog, "mmoFrom")->toPlainText(),
              QStringLiteral("www.example.com\n第二行"));
    EXPECT_EQ(Child<QPlainTextEdit>(dialog, "mmoTo")->toPlainText(), QStringLiteral("line 1\n\nline 3"));
    EXPECT_EQ(Child<QSpinBox>(dialog, "sePriority")->value(), 10);
    Fill(dialog, {QStringLiteral("edited"), {"www.example.com"}, {}, "-9"});
  });
  page.Menu("N2");
  EXPECT_EQ(page.Names(), (QStringList{"default", "low", "edited"}));
  const std::optional<TxtReplaceRule> edited = LoadTxtReplaceRule(page.db, first.ID);
  ASSERT_TRUE(edited);
  EXPECT_EQ(edited->sValue2, QString());
  EXPECT_EQ(edited->floatData1, first.floatData1);

  // Delete asks first (OK and Cancel, information icon); Cancel keeps the rule.
  page.Select(1);
  messages.SetAnswer(QMessageBox::Cancel);
  page.Menu("N3");
  EXPECT_EQ(messages.texts(), QStringList{kConfirmDelete});
  EXPECT_EQ(messages.messages().back().buttons, QMessageBox::Ok | QMessageBox::Cancel);
  EXPECT_EQ(messages.messages().back().icon, QMessageBox::Information);
  EXPECT_EQ(StoredNames(page.db), (QStringList{"default", "low", "edited"}));
  messages.SetAnswer(QMessageBox::Ok);
  page.Menu("N3");
  EXPECT_EQ(page.Names(), (QStringList{"default", "edited"}));
  EXPECT_EQ(page.Caption(), QStringLiteral("名称(2)"));
  EXPECT_EQ(StoredNames(page.db), page.Names());

  // Cancel of the settings dialog does not undo them; the page shows them again next time.
  Click(Child<QPushButton>(page.dialog, "btnCancel"));
  EXPECT_EQ(StoredNames(page.db), (QStringList{"default", "edited"}));
  TRulePage again(install);
  EXPECT_EQ(again.Names(), (QStringList{"default", "edited"}));
  EXPECT_EQ(again.Caption(), QStringLiteral("备注(2)"));
}

TEST(RulePage, EditAndDeleteNeedASelectedRow) {
  TInstall install;
  AddRule(install, QStringLiteral("only"));
  TRulePage page(install);
  TMessageRecorder messages;
  ASSERT_EQ(page.Names(), QStringList{"only"});
  EXPECT_FALSE(Child<QAction>(page.dialog, "N2")->isEnabled());
  EXPECT_FALSE(Child<QAction>(page.dialog, "N3")->isEnabled());
  page.Menu("N3");  // nothing selected: nothing asked, nothing deleted
  EXPECT_TRUE(messages.texts().isEmpty());
  page.Select(0);
  EXPECT_TRUE(Child<QAction>(page.dialog, "N3")->isEnabled());
  page.Menu("N3");
  EXPECT_EQ(page.Caption(), QStringLiteral("名称(0)"));
  EXPECT_TRUE(StoredNames(page.db).isEmpty());
}

TEST(RulePage, ADeleteThatFailsKeepsTheRow) {
  TInstall install;
  AddRule(install, QStringLiteral("kept"));
  TRulePage page(install);
  TMessageRecorder messages;
  page.Select(0);
  install.Write("data.db", QByteArray(4096, 'x'));  // the file is damaged behind the dialog's back
  page.Menu("N3");
  ASSERT_EQ(messages.texts().size(), 2);
  EXPECT_EQ(messages.texts()[0], kConfirmDelete);
  EXPECT_FALSE(messages.texts()[1].isEmpty()) << "the database's error";
  EXPECT_EQ(page.Names(), QStringList{"kept"});
  EXPECT_EQ(page.Caption(), QStringLiteral("备注(1)"));
}

TEST(RuleDialog, EmptyDescriptionAndCancelStoreNothing) {
  TInstall install;
  const QString db = install.paths.databaseFile();
  TMessageRecorder messages;
  TfrmAddTxtReplace dialog(db);
  dialog.show();
  TypeLines(Child<QPlainTextEdit>(dialog, "mmoFrom"), {"text"});
  Click(Child<QPushButton>(dialog, "btnOK"));
  EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("请输入备注")});
  EXPECT_EQ(messages.messages()[0].icon, QMessageBox::Information);
  EXPECT_TRUE(dialog.isVisible());
  Retype(Child<QLineEdit>(dialog, "edtDes"), QStringLiteral("described"));
  Click(Child<QPushButton>(dialog, "btnCancel"));
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
  EXPECT_TRUE(StoredNames(db).isEmpty());
}

TEST(RuleDialog, DatabaseErrorsAreShownAndNothingIsLost) {
  TInstall install;
  install.Write("data.db", QByteArray(4096, 'x'));  // not a database
  TMessageRecorder messages;
  TfrmAddTxtReplace dialog(install.paths.databaseFile());
  dialog.show();
  Retype(Child<QLineEdit>(dialog, "edtDes"), QStringLiteral("rule"));
  Click(Child<QPushButton>(dialog, "btnOK"));
  ASSERT_EQ(messages.texts().size(), 1);
  EXPECT_FALSE(messages.texts()[0].isEmpty());
  EXPECT_TRUE(dialog.isVisible()) << "the typed rule stays in the dialog";
  EXPECT_EQ(Child<QLineEdit>(dialog, "edtDes")->text(), QStringLiteral("rule"));
  Click(Child<QPushButton>(dialog, "btnCancel"));
}

TEST(RuleDialog, CaptionsHintAndTabOrder) {
  TInstall install;
  TfrmAddTxtReplace dialog(install.paths.databaseFile());
  auto* priority = Child<QSpinBox>(dialog, "sePriority");
  EXPECT_EQ(priority->toolTip(), QStringLiteral("数字越大,优先级越高。优先级越高,越会优先替换。"));
  EXPECT_EQ(priority->minimum(), std::numeric_limits<int>::min());
  EXPECT_EQ(priority->maximum(), std::numeric_limits<int>::max());
  EXPECT_EQ(Child<QPushButton>(dialog, "btnOK")->text(), QStringLiteral("确定"));
  EXPECT_EQ(Child<QPushButton>(dialog, "btnCancel")->text(), QStringLiteral("取消"));
  QStringList labels;
  for (const QLabel* label : dialog.findChildren<QLabel*>()) labels << label->text();
  labels.sort();
  QStringList expected{"优先级", "备注", "待替换文本", "替换后的文本"};
  expected.sort();
  EXPECT_EQ(labels, expected);

  QStringList order;
  QWidget* widget = Child<QLineEdit>(dialog, "edtDes");
  for (int i = 0; i < 6; ++i, widget = widget->nextInFocusChain()) {
    while (widget->focusPolicy() == Qt::NoFocus || !widget->objectName().size())
      widget = widget->nextInFocusChain();
    order << widget->objectName();
  }
  EXPECT_EQ(order, (QStringList{"edtDes", "mmoFrom", "mmoTo", "btnCancel", "btnOK", "sePriority"}));
}

}  // namespace
