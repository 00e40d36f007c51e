#include "gui/EngineInfoDialog.h"

#include <QBoxLayout>
#include <QDir>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QTreeWidget>

#include "compress/InstalledEngines.h"
#include "gui/SettingWidgets.h"

TfrmEngineInfo::TfrmEngineInfo(const TProgramPaths& paths, QWidget* parent) : QDialog(parent), paths_(paths) {
  setObjectName(QStringLiteral("frmEngineInfo"));
  setWindowTitle(tr("已安装引擎"));

  QLabel* Label1 = WrappingLabel(this, "Label1", tr("当前已安装以下解压引擎(只负责解压)"));
  ListView1 = NewReportList(this, "ListView1", {{tr("引擎名"), 150}, {tr("版本号"), 150}});
  btnOK = NewButton(this, "btnOK", tr("确定"));
  btnOK->setDefault(true);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(btnOK);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Label1);
  layout->addWidget(ListView1, 1);
  layout->addLayout(buttons);

  connect(btnOK, &QPushButton::clicked, this, &TfrmEngineInfo::btnOKClick);
  resize(559, 397);
  FormCreate();
}

void TfrmEngineInfo::FormCreate() {
  ListView1->clear();
  const QBrush greyed = palette().brush(QPalette::Disabled, QPalette::Text);
  for (const TInstalledEngine& engine : ListInstalledEngines(paths_.engineFolder())) {
    auto* row = new QTreeWidgetItem(ListView1, {engine.caption, engine.version});
    const QString program = QDir::toNativeSeparators(engine.program);
    switch (engine.state) {
      case TInstalledEngine::esReady:
        row->setToolTip(0, program);
        continue;
      case TInstalledEngine::esMissing:
        row->setToolTip(0, tr("找不到程序：%1").arg(program));
        break;
      case TInstalledEngine::esUnusable:
        row->setToolTip(0, tr("无法使用：%1\n%2").arg(program, engine.note));
        break;
    }
    row->setForeground(0, greyed);
    row->setForeground(1, greyed);
  }
}

void TfrmEngineInfo::btnOKClick() { accept(); }
