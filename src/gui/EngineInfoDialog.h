#pragma once
// The installed-engines dialog: the engines of the engine folder and the extraction plug-ins
// found there, each with its program's version, from the same listing `harrowmint-cli --engines`
// prints. A missing program has an empty version cell and its row is greyed, with a tip naming
// the program; an engine that cannot be used is greyed with a tip saying why.
//
// The main window opens it from the menu item "支持解压格式", modally:
//   TfrmEngineInfo dialog(paths, this);
//   dialog.exec();
#include <QDialog>

#include "util/ProgramPaths.h"

class QPushButton;
class QTreeWidget;

class TfrmEngineInfo : public QDialog {
  Q_OBJECT

 public:
  TfrmEngineInfo(const TProgramPaths& paths, QWidget* parent = nullptr);

 private:
  // Lists the engine folder afresh (asking each program present for its version).
  void FormCreate();
  void btnOKClick();

  TProgramPaths paths_;
  QTreeWidget* ListView1;
  QPushButton* btnOK;
};
