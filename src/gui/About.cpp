#include "gui/About.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "gui/Theme.h"
#include "util/FileOps.h"
#include "util/SystemInfo.h"

TfrmAbout::TfrmAbout(QWidget* owner) : QDialog(owner), lblVersion(new QLabel(this)) {
  setWindowTitle(tr("关于"));

  auto* icon = new QLabel(this);
  icon->setPixmap(theme::ProgramIcon().pixmap(64, 64));
  icon->setAlignment(Qt::AlignTop);

  auto* name = new QLabel(about::ProductName, this);
  QFont nameFont = name->font();
  nameFont.setPointSizeF(nameFont.pointSizeF() * 1.6);
  nameFont.setBold(true);
  name->setFont(nameFont);

  lblVersion->setText(tr("版本 %1").arg(ProgramVersionText()));
  lblVersion->setTextInteractionFlags(Qt::TextSelectableByMouse);

  auto* purpose = new QLabel(
      tr("批量压缩工具：解压、清理、添加必备文件，再按您的设置重新打包。\n专为下载站设计。"), this);
  auto* link = new QLabel(QStringLiteral("<a href=\"%1\">%1</a>").arg(about::HomePage), this);
  link->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
  connect(link, &QLabel::linkActivated, this, [](const QString& address) { ShellOpen(address); });

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

  auto* text = new QVBoxLayout;
  text->addWidget(name);
  text->addWidget(lblVersion);
  text->addSpacing(8);
  text->addWidget(purpose);
  text->addWidget(link);
  auto* body = new QHBoxLayout;
  body->addWidget(icon);
  body->addSpacing(12);
  body->addLayout(text, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(body);
  layout->addSpacing(8);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}
