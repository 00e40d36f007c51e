#include "gui/BatchList.h"

#include <QDragEnterEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QMimeData>
#include <QScreen>
#include <QStyledItemDelegate>
#include <QTextDocument>
#include <QToolTip>
#include <QUrl>

#include "app/SourceFormat.h"
#include "app/StatusTexts.h"
#include "compress/common/VolumeSet.h"
#include "compress/vxCompress.h"
#include "gui/Theme.h"
#include "gui/VisibleName.h"
#include "util/FileOps.h"

namespace {

// The hover tip lists this many names, then this many "....." lines, then the closing line.
constexpr int kTipNames = 11;
constexpr int kTipEllipses = 3;
// Each line of the tip takes its direction from its own first strong character.
constexpr QChar kFirstStrongIsolate(0x2068);
constexpr QChar kPopDirectionalIsolate(0x2069);

QStringList LocalPaths(const QMimeData* mime) {
  QStringList paths;
  if (!mime) return paths;
  for (const QUrl& url : mime->urls())
    if (url.isLocalFile()) paths << url.toLocalFile();
  return paths;
}

// A working text that does not fit the status column ("正在压缩中... 42%") keeps its end, where
// the percentage stands, and loses its middle.
class TStatusDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    option->textElideMode = Qt::ElideMiddle;
  }
};

}  // namespace

TBatchList::TBatchList(QWidget* parent) : QTreeWidget(parent) {
  setColumnCount(colCount);
  setHeaderLabels(
      {tr("类型"), tr("原文件路径"), tr("文件大小"), tr("输出文件名"), tr("输出大小"), tr("处理状态")});
  const int widths[colCount] = {125, 330, 70, 120, 70, 90};
  for (int column = 0; column < colCount; ++column) setColumnWidth(column, widths[column]);
  // The status column takes the width the others leave (the window is never narrower than its
  // design size), so a working text with its percentage fits and no empty header band is left.
  header()->setStretchLastSection(true);
  setItemDelegateForColumn(colState, new TStatusDelegate(this));
  setRootIsDecorated(false);
  setUniformRowHeights(true);
  setAllColumnsShowFocus(true);
  setSelectionMode(SingleSelection);
  setSelectionBehavior(SelectRows);
  setEditTriggers(NoEditTriggers);
  setContextMenuPolicy(Qt::CustomContextMenu);
  setAcceptDrops(true);
  setDragDropMode(DropOnly);
  setDropIndicatorShown(false);
  setToolTip(
      tr("支持直接拖放文件、文件夹到列表中，即可快速添加.\n\n双击列表即可打开处理完成后的文件所在文件夹。"));
  setToolTipDuration(10000);
}

TBatchItem* TBatchList::AddPath(const QString& path) {
  auto* row = new TBatchItem;
  row->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
  row->setCheckState(colType, Qt::Checked);
  row->setText(colType, TypeText(path));
  row->setText(colPath, path);
  if (QFileInfo(path).isFile()) row->setText(colSize, FileSizeText(path));
  addTopLevelItem(row);
  return row;
}

TBatchItem* TBatchList::Row(int index) const { return static_cast<TBatchItem*>(topLevelItem(index)); }

TBatchItem* TBatchList::SelectedRow() const {
  const QList<QTreeWidgetItem*> selected = selectedItems();
  return selected.isEmpty() ? nullptr : static_cast<TBatchItem*>(selected.first());
}

TSnapshot TBatchList::Snapshot() const {
  TSnapshot items;
  items.reserve(RowCount());
  for (int i = 0; i < RowCount(); ++i) {
    const TBatchItem* row = Row(i);
    items.append(TMyData{row->text(colPath), {}, row->checkState(colType) == Qt::Checked, isNotProcessed});
  }
  return items;
}

void TBatchList::SetAllChecked(bool checked) {
  for (int i = 0; i < RowCount(); ++i) Row(i)->setCheckState(colType, checked ? Qt::Checked : Qt::Unchecked);
}

void TBatchList::InvertChecks() {
  for (int i = 0; i < RowCount(); ++i) {
    TBatchItem* row = Row(i);
    row->setCheckState(colType, row->checkState(colType) == Qt::Checked ? Qt::Unchecked : Qt::Checked);
  }
}

void TBatchList::RemoveChecked() {
  for (int i = RowCount() - 1; i >= 0; --i)
    if (Row(i)->checkState(colType) == Qt::Checked) delete takeTopLevelItem(i);
}

void TBatchList::ClearCheckedResults() {
  for (int i = 0; i < RowCount(); ++i) {
    TBatchItem* row = Row(i);
    if (row->checkState(colType) != Qt::Checked) continue;
    row->data = {};
    row->causes.clear();
    for (const TColumn column : {colOutputName, colOutputSize, colState}) row->setText(column, {});
    ColourByState(*row);
  }
}

void TBatchList::SetCell(int index, TColumn column, const QString& text) {
  if (TBatchItem* row = Row(index)) row->setText(column, text);
}

void TBatchList::RecordOutput(int index, const TMyData& record, const QString& outputName,
                              const QString& sizeText, const QStringList& causes) {
  TBatchItem* row = Row(index);
  if (!row) return;
  row->causes = causes;
  row->data.path = record.path;
  row->data.pwd = record.pwd;
  row->data.state = record.state;
  row->setText(colOutputName, outputName);
  row->setText(colOutputSize, sizeText);
  ColourByState(*row);
}

void TBatchList::ColourByState(TBatchItem& row) {
  QBrush brush;  // the palette's text colour
  if (row.data.state == isPlausible) brush = theme::PlausibleText();
  if (row.data.state == isFailed) brush = theme::FailedText();
  for (int column = 0; column < colCount; ++column) row.setForeground(column, brush);
}

std::optional<QStringList> TBatchList::OutputContent(const TBatchItem& row) const {
  TvxCompress compress(engineFolder_);
  compress.SetUnCompressPwd(row.data.pwd);
  if (compress.GetFileList(row.data.path) != crSuccess) return std::nullopt;
  return compress.FileList();
}

QString TBatchList::InfoTip(const TBatchItem& row, int maxLineWidth) const {
  // As text, whatever the cause holds (a name with "<b>" in it stays as written).
  if (row.data.state == isFailed && !row.causes.isEmpty())
    return Qt::convertFromPlainText(QFontMetrics(QToolTip::font())
                                        .elidedText(tr("失败原因：") + row.causes.first(), Qt::ElideMiddle, maxLineWidth),
                                    Qt::WhiteSpaceNoWrap);
  if (!infoTip_ || row.data.state != isPlausible) return {};
  const std::optional<QStringList> content = OutputContent(row);
  return content ? ContentTip(*content, QFontMetrics(QToolTip::font()), maxLineWidth) : QString();
}

void TBatchList::SetPluginFormats(bool on) {
  if (on == pluginFormats_) return;
  for (int i = 0; i < RowCount(); ++i) {
    TBatchItem* row = Row(i);
    const QString path = row->text(colPath);
    if (row->text(colType) == TypeText(path, pluginFormats_)) row->setText(colType, TypeText(path, on));
  }
  pluginFormats_ = on;
}

QString TBatchList::TypeText(const QString& path) const { return TypeText(path, pluginFormats_); }

QString TBatchList::TypeText(const QString& path, bool pluginFormats) const {
  const QFileInfo info(path);
  if (info.isDir()) return tr("文件夹");
  if (!info.isFile()) return tr("未知");
  if (const std::optional<TVolumeSet> set = FindVolumeSet(path)) {
    // "rar分卷(3卷)" on the volume that opens the set, "rar分卷(3卷,第2卷)" on the others.
    const QString kind = QString(set->format).remove(QLatin1Char('.')) + tr("分卷");
    return set->isOtherVolume() ? kind + tr("(%1卷,第%2卷)").arg(set->count()).arg(set->number)
                                : kind + tr("(%1卷)").arg(set->count());
  }
  const TSourceFormat format = DetectSourceFormat(TvxCompress(engineFolder_), path, pluginFormats);
  if (format.byPlugin()) return TRunText::PluginFormatType(format.pluginExt);
  const QString detected = format.detected.toLower();
  if (detected.isEmpty()) return tr("文件");
  QString text = QString(detected).remove(QLatin1Char('.')) + tr("文件");
  if (detected != FileExtension(path).toLower()) text += tr("(格式错误)");
  return text;
}

QStringList TBatchList::ContentTipLines(const QStringList& entries) {
  QStringList lines{tr("【打包的压缩包内容如下】:")};
  for (int k = 0; k < entries.size(); ++k) {
    if (k < kTipNames) {
      lines << entries[k];
    } else if (k < kTipNames + kTipEllipses) {
      lines << QStringLiteral(".....");
    } else {
      lines << tr("【更多内容请右击列表查看】");
      break;
    }
  }
  return lines;
}

QString TBatchList::ContentTip(const QStringList& entries, const QFontMetrics& metrics, int maxLineWidth) {
  // A paragraph of its own per line: the direction a name sets (a right-to-left override, say)
  // ends with its paragraph, whatever isolates or embeddings the name opens or closes.
  static const QString paragraph = QStringLiteral("<p dir=\"ltr\" style=\"margin:0; white-space:pre\">");
  QString tip;
  for (const QString& line : ContentTipLines(entries)) {
    const QString shown = metrics.elidedText(VisibleName(line), Qt::ElideMiddle, maxLineWidth);
    tip += paragraph + kFirstStrongIsolate + shown.toHtmlEscaped() + kPopDirectionalIsolate +
           QStringLiteral("</p>");
  }
  return tip;
}

void TBatchList::dragEnterEvent(QDragEnterEvent* event) {
  if (LocalPaths(event->mimeData()).isEmpty()) return event->ignore();
  event->acceptProposedAction();
}

void TBatchList::dragMoveEvent(QDragMoveEvent* event) {
  if (LocalPaths(event->mimeData()).isEmpty()) return event->ignore();
  event->acceptProposedAction();
}

void TBatchList::dropEvent(QDropEvent* event) {
  const QStringList paths = LocalPaths(event->mimeData());
  if (paths.isEmpty()) return event->ignore();
  event->acceptProposedAction();
  Q_EMIT PathsDropped(paths);
}

bool TBatchList::viewportEvent(QEvent* event) {
  if (event->type() != QEvent::ToolTip) return QTreeWidget::viewportEvent(event);
  const auto* help = static_cast<QHelpEvent*>(event);
  const auto* row = static_cast<const TBatchItem*>(itemAt(help->pos()));
  // Within the screen, with room to spare.
  const QScreen* screen = QGuiApplication::screenAt(help->globalPos());
  const int maxLineWidth = (screen ? screen : this->screen())->availableGeometry().width() / 2;
  const QString content = row ? InfoTip(*row, maxLineWidth) : QString();
  QToolTip::showText(help->globalPos(), content.isEmpty() ? toolTip() : content, viewport(), {},
                     toolTipDuration());
  return true;
}
