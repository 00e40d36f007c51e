#include "gui/UpdateForm.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "gui/MessageBox.h"
#include "update/UpdateTexts.h"
#include "util/FileOps.h"

namespace {

// The progress bar counts in thousandths, so sizes beyond the range of int fit.
constexpr int kProgressSteps = 1000;
// Margins of the page area (left and right) and the gap above the button row.
constexpr int kPageMargin = 2;
constexpr int kGapAboveButtons = 10;

QLabel* NewLabel(const QString& text, const QString& name, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  return label;
}

QWidget* NewPage(const QString& name, const QString& caption) {
  auto* page = new QWidget;
  page->setObjectName(name);
  page->setAccessibleName(caption);
  return page;
}

QProgressBar* NewBusyIndicator(const QString& name) {
  auto* busy = new QProgressBar;
  busy->setObjectName(name);
  busy->setRange(0, 0);
  busy->setTextVisible(false);
  return busy;
}

}  // namespace

TfrmUpdate::TfrmUpdate(QString programFolder, QWidget* parent)
    : QDialog(parent), shellOpen(ShellOpen), session_(*this, std::move(programFolder)) {
  setObjectName(QStringLiteral("frmUpdate"));
  setWindowTitle(TUpdateText::Caption);
  setWindowFlag(Qt::WindowStaysOnTopHint, true);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  BuildControls();
}

TfrmUpdate::~TfrmUpdate() = default;

void TfrmUpdate::BuildControls() {
  Label5 = NewLabel(TUpdateText::Found, QStringLiteral("Label5"), this);
  lblVer = NewLabel(TUpdateText::VersionPending, QStringLiteral("lblVer"), this);
  lblVerDate = NewLabel(TUpdateText::DatePending, QStringLiteral("lblVerDate"), this);
  QFont emphasised = lblVer->font();
  emphasised.setBold(true);
  lblVer->setFont(emphasised);

  TabSheet1 = NewPage(QStringLiteral("TabSheet1"), TUpdateText::ChangeLogPage);
  mmoDes = new QPlainTextEdit(TabSheet1);
  mmoDes->setObjectName(QStringLiteral("mmoDes"));
  mmoDes->setReadOnly(true);
  auto* changeLog = new QVBoxLayout(TabSheet1);
  changeLog->setContentsMargins(0, 0, 0, 0);
  changeLog->addWidget(mmoDes);

  TabSheet2 = NewPage(QStringLiteral("TabSheet2"), TUpdateText::ProgressPage);
  RzProgressBar1 = new QProgressBar(TabSheet2);
  RzProgressBar1->setObjectName(QStringLiteral("RzProgressBar1"));
  RzProgressBar1->setRange(0, kProgressSteps);
  RzProgressBar1->setValue(0);
  lblTotalCount = NewLabel(TUpdateText::Unknown, QStringLiteral("lblTotalCount"), TabSheet2);
  lblSpeed = NewLabel(TUpdateText::Unknown, QStringLiteral("lblSpeed"), TabSheet2);
  lblTime = NewLabel(TUpdateText::Unknown, QStringLiteral("lblTime"), TabSheet2);
  lblState = NewLabel(TUpdateText::StateDownloading, QStringLiteral("lblState"), TabSheet2);
  lblState->setWordWrap(true);
  auto* figures = new QFormLayout;
  figures->addRow(TUpdateText::Downloaded, lblTotalCount);
  figures->addRow(TUpdateText::Speed, lblSpeed);
  figures->addRow(TUpdateText::Elapsed, lblTime);
  auto* progress = new QVBoxLayout(TabSheet2);
  progress->addWidget(RzProgressBar1);
  progress->addLayout(figures);
  progress->addWidget(lblState);
  progress->addStretch();

  rzTabLoading = NewPage(QStringLiteral("rzTabLoading"), TUpdateText::LoadingPage);
  lblState2 = NewLabel(TUpdateText::StateChecking, QStringLiteral("lblState2"), rzTabLoading);
  auto* loading = new QVBoxLayout(rzTabLoading);
  loading->addStretch();
  QProgressBar* animation = NewBusyIndicator(QStringLiteral("imgLoading"));
  animation->setFixedWidth(240);
  loading->addWidget(animation, 0, Qt::AlignHCenter);
  loading->addWidget(lblState2, 0, Qt::AlignHCenter);
  loading->addStretch();

  rzTabError = NewPage(QStringLiteral("rzTabError"), TUpdateText::ErrorPage);
  auto* explained = NewLabel(TUpdateText::ErrorExplained, QStringLiteral("lblErrorState"), rzTabError);
  explained->setWordWrap(true);
  explained->setAlignment(Qt::AlignHCenter);
  lblClickUrl = NewLabel(QStringLiteral("<a href=\"#manual\">%1</a>").arg(TUpdateText::ManualLink),
                         QStringLiteral("lblClickUrl"), rzTabError);
  lblClickUrl->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
  connect(lblClickUrl, &QLabel::linkActivated, this, [this] { lblClickUrlClick(); });
  auto* error = new QVBoxLayout(rzTabError);
  error->addStretch();
  error->addWidget(explained);
  error->addWidget(lblClickUrl, 0, Qt::AlignHCenter);
  error->addStretch();

  RzPageControl1 = new QStackedWidget(this);
  RzPageControl1->setObjectName(QStringLiteral("RzPageControl1"));
  for (QWidget* page : {TabSheet1, TabSheet2, rzTabLoading, rzTabError}) RzPageControl1->addWidget(page);

  imgBntOK = new QPushButton(TUpdateText::StartButton, this);
  imgBntOK->setObjectName(QStringLiteral("imgBntOK"));
  imgBntOK->setDefault(true);
  connect(imgBntOK, &QPushButton::clicked, this, [this] { imgBntOKClick(); });
  imgBntCancel = new QPushButton(this);
  imgBntCancel->setObjectName(QStringLiteral("imgBntCancel"));
  imgBntCancel->hide();
  imgUpdating = NewBusyIndicator(QStringLiteral("imgUpdating"));
  imgUpdating->setParent(this);
  imgUpdating->setFixedWidth(imgBntOK->sizeHint().width() * 2);

  auto* header = new QVBoxLayout;
  header->addWidget(Label5);
  header->addWidget(lblVer);
  header->addWidget(lblVerDate);
  auto* pages = new QVBoxLayout;
  pages->setContentsMargins(kPageMargin, 0, kPageMargin, 0);
  pages->addWidget(RzPageControl1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(imgBntOK);
  buttons->addWidget(imgBntCancel);
  buttons->addWidget(imgUpdating);
  buttons->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(header);
  layout->addLayout(pages, 1);
  layout->addSpacing(kGapAboveButtons);
  layout->addLayout(buttons);
  resize(480, 380);
}

void TfrmUpdate::LoadUI() { session_.Begin(); }

void TfrmUpdate::imgBntOKClick() { session_.Accept(); }

void TfrmUpdate::lblClickUrlClick() { session_.OpenManualPage(); }

void TfrmUpdate::ShowOffer(const TUpdateOffer& offer) {
  lblVer->setText(TUpdateText::VersionPrefix + offer.newVersion);
  lblVerDate->setText(TUpdateText::DatePrefix + offer.updateDate);
  mmoDes->setPlainText(offer.des);
}

void TfrmUpdate::ShowVersionUnknown() { lblVer->setText(TUpdateText::VersionUnknown); }

void TfrmUpdate::SetBusy(bool busy) {
  imgUpdating->setVisible(busy);
  imgBntOK->setVisible(!busy);
}

void TfrmUpdate::ShowChangeLog() {
  SetBusy(false);
  RzPageControl1->setCurrentWidget(TabSheet1);
}

void TfrmUpdate::ShowDownloading() {
  SetBusy(true);
  RzPageControl1->setCurrentWidget(TabSheet2);
}

void TfrmUpdate::ShowLoading() {
  SetBusy(true);
  RzPageControl1->setCurrentWidget(rzTabLoading);
}

void TfrmUpdate::ShowError() {
  lblState->setText(TUpdateText::StateError);
  SetBusy(false);
  RzPageControl1->setCurrentWidget(rzTabError);
}

void TfrmUpdate::ShowState(const QString& text) { lblState->setText(text); }

void TfrmUpdate::ShowFigures(const TDownloadFigures& figures) {
  if (figures.permille >= 0) {
    RzProgressBar1->setRange(0, kProgressSteps);
    RzProgressBar1->setValue(figures.permille);
  } else {
    RzProgressBar1->setRange(0, 0);
  }
  lblTotalCount->setText(figures.total);
  lblSpeed->setText(figures.speed);
  lblTime->setText(figures.elapsed);
}

void TfrmUpdate::ShowProgress(qint64 downSize, qint64 fileSize, qint64 speed, qint64 elapsedMs) {
  ShowFigures(DownloadFigures(downSize, fileSize, speed, elapsedMs));
}

void TfrmUpdate::ShowMessage(const QString& text, const QString& title) { msgbox::Info(this, text, title); }

bool TfrmUpdate::AskManualDownload() {
  return msgbox::Show(this, {TUpdateText::NotSupported, TUpdateText::MessageTitle, QMessageBox::Information,
                             QMessageBox::Ok | QMessageBox::Cancel}) == QMessageBox::Ok;
}

void TfrmUpdate::OpenAddress(const QString& url) { shellOpen(url); }

void TfrmUpdate::Close() { accept(); }

void TfrmUpdate::done(int result) {
  session_.End(result == QDialog::Accepted);
  QDialog::done(result);
}
