#pragma once
// The page "文本内容替换" of the settings dialog: the text-replacement rules of data.db, highest
// priority first, with add, edit and delete through its pop-up menu. Every change is written to
// data.db at once; the settings dialog's Cancel does not undo it.
#include <QWidget>

class QAction;
class QLabel;
class QMenu;
class QTreeWidget;
class QTreeWidgetItem;
class TfrmAddTxtReplace;

class TRuleListPage : public QWidget {
  Q_OBJECT

 public:
  TRuleListPage(QString dbPath, QWidget* parent = nullptr);

  // Refills the list from data.db (which is created with its tables when missing).
  void LoadTxtReplaceList();

  // Pop-up menu actions: add; edit the selected rule; delete it after confirmation.
  void N1Click();
  void N2Click();
  void N3Click();

 private:
  // Shows the dialog modally; reloads the list when it stored the rule.
  void ShowRuleDialog(TfrmAddTxtReplace& dialog);
  QTreeWidgetItem* SelectedRow() const;
  void SetFirstColumnCaption(const QString& caption);
  void UpdateActions();

  QString dbPath_;
  QLabel* Label9;
  QTreeWidget* lvTxtReplace;
  QMenu* PopupMenu1;
  QAction* N1;
  QAction* N2;
  QAction* N3;
};
