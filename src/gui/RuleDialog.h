#pragma once
// The dialog that adds or changes one text-replacement rule. OK stores the rule in data.db at
// once (insert with the creation time, or update keeping it) and closes with Accepted; Cancel
// stores nothing. A failing store shows the database's error and keeps the dialog open.
//
// Opened by the rule page of the settings dialog:
//   TfrmAddTxtReplace dialog(paths.databaseFile(), this);  // adding
//   dialog.LoadByEdit(id);                                  // or: editing rule id
//   if (dialog.exec() == QDialog::Accepted) reload the list;
#include <QDialog>
#include <optional>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;

class TfrmAddTxtReplace : public QDialog {
  Q_OBJECT

 public:
  TfrmAddTxtReplace(QString dbPath, QWidget* parent = nullptr);

  // Switches to editing the rule with that ID and shows its fields; a rule that is not there
  // leaves them empty (OK then changes nothing).
  void LoadByEdit(qint64 id);
  // Empty when adding.
  std::optional<qint64> selectId() const { return selectId_; }

 private:
  void btnOKClick();
  void btnCancelClick();
  // The priority box's text as a number; not a number (an emptied box) counts as 0.
  int Priority() const;

  QString dbPath_;
  std::optional<qint64> selectId_;

  QLineEdit* edtDes;
  QPlainTextEdit* mmoFrom;
  QPlainTextEdit* mmoTo;
  QPushButton* btnCancel;
  QPushButton* btnOK;
  QSpinBox* sePriority;
};
