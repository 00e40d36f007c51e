#pragma once
// The batch list (`ListView1`): one row per source with its check box, type, path and size, and
// the output name, output size and status text a run gives it; the row's text colour follows
// its result. Paths dropped from a file manager are handed to the owner, which may refuse them
// while a run is active. Hovering a finished row lists the content of its output archive.
#include <QFontMetrics>
#include <QString>
#include <QStringList>
#include <QTreeWidget>
#include <optional>

#include "app/MyData.h"

// A row and the record that hangs on it: zeroed with the row, gone with it.
class TBatchItem : public QTreeWidgetItem {
 public:
  TMyData data;
  QStringList causes;  // why the last run that reached the row failed it, as the log said it
};

class TBatchList : public QTreeWidget {
  Q_OBJECT

 public:
  // The row caption and the five cells.
  enum TColumn { colType = 0, colPath, colSize, colOutputName, colOutputSize, colState, colCount };

  explicit TBatchList(QWidget* parent = nullptr);

  // Where the listing of an output finds its engines, and whether hovering lists it.
  void SetEngineFolder(const QString& folder) { engineFolder_ = folder; }
  void SetInfoTip(bool on) { infoTip_ = on; }
  // Whether a run extracts the files a plug-in of their extension opens (PluginFormats). A change
  // retypes the rows whose type cell still shows what adding them gave; a cell a run has written
  // stays.
  void SetPluginFormats(bool on);

  // Appends a checked row for the path; no test for duplicates.
  TBatchItem* AddPath(const QString& path);
  int RowCount() const { return topLevelItemCount(); }
  TBatchItem* Row(int index) const;
  // The highlighted row, or null.
  TBatchItem* SelectedRow() const;

  // Every row's source path and check box, in list order: what a run works on.
  TSnapshot Snapshot() const;

  void SetAllChecked(bool checked);
  void InvertChecks();
  // Every checked row goes, whatever is highlighted.
  void RemoveChecked();
  // A run starts on the checked rows: each loses its output, size, status and colour of an
  // earlier run, so that none reads as done (or failed) before the run has reached it.
  void ClearCheckedResults();

  void SetCell(int index, TColumn column, const QString& text);
  // The finished item: its record, its output cells, the colour of its state and the causes of a
  // failure.
  void RecordOutput(int index, const TMyData& record, const QString& outputName, const QString& sizeText,
                    const QStringList& causes = {});

  // The entry names of a row's output archive, listed with the password it was made with;
  // nothing when it cannot be listed.
  std::optional<QStringList> OutputContent(const TBatchItem& row) const;
  // The hover tip of a row: its output's content when tips are on and the output is plausible,
  // the first line of its causes when the row failed, else empty (the list's own hint shows). Lines
  // are elided to maxLineWidth pixels.
  QString InfoTip(const TBatchItem& row, int maxLineWidth) const;

  // "文件夹", "文件", "<format>文件" with "(格式错误)" when the name's extension says otherwise,
  // or "未知" for a path that is neither file nor folder. With PluginFormats on, a file a plug-in
  // of the engine folder will extract shows the type the run gives it ("tar.gz文件").
  QString TypeText(const QString& path) const;
  // The lines of a content tip: the heading, at most eleven names, three "....." lines and the
  // closing line.
  static QStringList ContentTipLines(const QStringList& entries);
  // The content tip as shown (rich text): one paragraph per line, each line with its control
  // characters visible (VisibleName), its direction isolated from the others' and elided in the
  // middle to maxLineWidth pixels of the font, spaces kept, markup shown as written.
  static QString ContentTip(const QStringList& entries, const QFontMetrics& metrics, int maxLineWidth);

 Q_SIGNALS:
  // Local files and folders dropped onto the list, in the drop's order.
  void PathsDropped(const QStringList& paths);

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool viewportEvent(QEvent* event) override;

 private:
  static void ColourByState(TBatchItem& row);
  QString TypeText(const QString& path, bool pluginFormats) const;

  QString engineFolder_;
  bool infoTip_ = true;
  bool pluginFormats_ = false;
};
