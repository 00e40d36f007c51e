// The batch list as the user fills and reads it: type texts, adding through the dialogs and by
// dropping, the check-box menu, removing checked rows, colours, the content tip, the viewer and
// the file manager items.
#include <QAbstractTextDocumentLayout>
#include <QFileDialog>
#include <QGlyphRun>
#include <QHeaderView>
#include <QLineEdit>
#include <QRawFont>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QToolTip>
#include <QTreeWidget>
#include <QUrl>

#include "WindowFixture.h"
#include "gui/FileList.h"
#include "gui/Theme.h"
#include "support/FakeDesktop.h"
#include "util/FileOps.h"

using testsupport::MakeDir;
using testsupport::RunTool;
using testsupport::WriteFile;

namespace {

class BatchListWindow : public ShownWindow {};

// A file that starts with the bytes the format is recognised by.
QByteArray WithSignature(const QByteArray& signature) { return signature + QByteArray(32, '\0'); }

struct TypeCase {
  QString name;
  QByteArray content;  // empty: a folder; "-": nothing at all
  QString type;
};

TEST(BatchList, TypeTextsSizesAndNewRows) {
  WindowHome h;
  const QByteArray rar = WithSignature("Rar!\x1a\x07\x01\x00");
  const QByteArray zip = WithSignature("PK\x03\x04");
  const TypeCase cases[] = {
      {"Folder", "", "文件夹"},
      {"notes.txt", "plain text, nothing else", "文件"},
      {"game.rar", rar, "rar文件"},
      {"game.zip", rar, "rar文件(格式错误)"},
      {"report.docx", zip, "zip文件(格式错误)"},
      {"UPPER.ZIP", zip, "zip文件"},
      {"pics.7z", WithSignature("7z\xbc\xaf\x27\x1c"), "7z文件"},
      {"setup.exe", WithSignature("MZ\x90\x00"), "exe文件"},
      {"tiny.rar", "Ra", "文件"},
      {"gone.zip", "-", "未知"},
      // Volume sets are named as sets on every volume.
      {"big.part1.rar", rar, "rar分卷(3卷)"},
      {"big.part3.rar", "raw volume bytes", "rar分卷(3卷,第3卷)"},
      {"pics.7z.002", "raw volume bytes", "7z分卷(2卷,第2卷)"},
      {"docs.zip", "raw volume bytes", "zip分卷(2卷)"},
      {"docs.z01", zip, "zip分卷(2卷,第1卷)"},
  };
  TMessageRecorder recorder;
  TBatchList list;
  // The volumes of each set are there before the first of them is added.
  for (const char* volume : {"big.part2.rar", "big.part3.rar", "pics.7z.001", "docs.z01"})
    WriteFile(h.In(volume), "volume");
  for (const TypeCase& c : cases) {
    const QString path = h.In(c.name);
    if (c.content.isEmpty())
      MakeDir(path);
    else if (c.content != "-")
      WriteFile(path, c.content);
    list.AddPath(path);
  }
  ASSERT_EQ(list.RowCount(), int(std::size(cases)));
  for (int i = 0; i < list.RowCount(); ++i) {
    const TypeCase& c = cases[i];
    const TBatchItem* row = list.Row(i);
    SCOPED_TRACE(c.name.toStdString());
    EXPECT_EQ(row->text(TBatchList::colType), c.type);
    EXPECT_EQ(row->text(TBatchList::colPath), h.In(c.name));
    const bool file = c.content != "" && c.content != "-";
    EXPECT_EQ(row->text(TBatchList::colSize), file ? FileSizeText(h.In(c.name)) : QString());
    EXPECT_EQ(row->checkState(TBatchList::colType), Qt::Checked);
    for (const int cell : {TBatchList::colOutputName, TBatchList::colOutputSize, TBatchList::colState})
      EXPECT_EQ(row->text(cell), QString());
    EXPECT_EQ(row->data.state, isNotProcessed);
    EXPECT_EQ(row->data.path, QString());
  }
  // No test for duplicates: the same path twice makes two rows.
  list.AddPath(h.In("notes.txt"));
  EXPECT_EQ(list.Row(list.RowCount() - 1)->text(TBatchList::colPath), h.In("notes.txt"));
  EXPECT_EQ(recorder.texts(), QStringList());
}

// With PluginFormats on, a file a shipped plug-in will extract shows the type the run gives it, the
// longest extension first; the settings dialog's OK retypes the rows whose cell adding wrote and
// leaves the one a run wrote.
TEST(BatchList, PluginFormatTypesFollowTheSetting) {
  WindowHome h(true);
  h.Save(h.QuickSettings());
  TMessageRecorder recorder;
  WindowWithSettingsDialog w(h.paths);
  const QByteArray gzip = WithSignature("\x1f\x8b\x08");
  const struct {
    QString name;
    QByteArray content;  // empty: a folder
    QString off, on;     // the type cell with the option off and on
  } cases[] = {
      {"game.tar.gz", gzip, "文件", "tar.gz文件"},
      {"notes.txt.gz", gzip, "文件", "gz文件"},
      {"disc.iso", "CD001 and more", "文件", "iso文件"},
      {"fake.cab", WithSignature("Rar!\x1a\x07\x00"), "rar文件(格式错误)", "rar文件(格式错误)"},
      {"readme.txt", "plain text, nothing else", "文件", "文件"},
      {"Folder.tar.gz", "", "文件夹", "文件夹"},
      {"setup.exe", WithSignature("MZ\x90\x00"), "rar自解压格式", "rar自解压格式"},
  };
  QStringList off, on;
  for (const auto& c : cases) {
    if (c.content.isEmpty())
      MakeDir(h.In(c.name));
    else
      WriteFile(h.In(c.name), c.content);
    w.ListView1->AddPath(h.In(c.name));
    off << c.off;
    on << c.on;
  }
  w.ListView1->SetCell(off.size() - 1, TBatchList::colType, "rar自解压格式");  // as a run writes it
  const auto types = [&] {
    QStringList texts;
    for (const QStringList& row : RowTexts(*w.ListView1)) texts << row[TBatchList::colType];
    return texts;
  };
  EXPECT_EQ(types(), off);

  for (const bool pluginFormats : {true, false, true}) {
    w.dialog = [&] {
      TSettings s = h.QuickSettings();
      s.PluginFormats = pluginFormats;
      h.Save(s);
      return true;
    };
    w.N12->trigger();
    EXPECT_EQ(types(), pluginFormats ? on : off) << pluginFormats;
  }
  // A row added while the option is on is typed by it at once.
  w.ListView1->AddPath(h.In("game.tar.gz"));
  EXPECT_EQ(w.ListView1->Row(w.ListView1->RowCount() - 1)->text(TBatchList::colType), "tar.gz文件");
  EXPECT_EQ(recorder.texts(), QStringList());
}

TEST_F(BatchListWindow, DroppedFilesAndFoldersAreAddedInTheirOrder) {
  WriteFile(h.In("b.bin"), "b");
  WriteFile(h.In("一 个.zip"), "z");
  MakeDir(h.In("folder"));
  Drop(w.ListView1->viewport(),
       {QUrl::fromLocalFile(h.In("b.bin")), QUrl("https://example.com/not-a-file"),
        QUrl::fromLocalFile(h.In("一 个.zip")), QUrl::fromLocalFile(h.In("folder"))});
  QStringList paths;
  for (const QStringList& row : RowTexts(*w.ListView1)) paths << row[TBatchList::colPath];
  EXPECT_EQ(paths, QStringList({h.In("b.bin"), h.In("一 个.zip"), h.In("folder")}));

  // Something that is no local file is not taken at all.
  QMimeData text;
  text.setText("just text");
  QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(w.ListView1->viewport(), &enter);
  EXPECT_FALSE(enter.isAccepted());
  EXPECT_EQ(recorder.texts(), QStringList());
}

TEST_F(BatchListWindow, FilesAndAFolderAddedThroughTheDialogs) {
  WriteFile(h.In("a.bin"), "a");
  WriteFile(h.In("b c.bin"), "b");
  MakeDir(h.In("album"));

  OnNextModal<QFileDialog>([&](QFileDialog* dialog) {
    EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFiles);
    dialog->setDirectory(h.home + "/in");
    dialog->findChild<QLineEdit*>("fileNameEdit")->setText("\"a.bin\" \"b c.bin\"");
    WaitUntilSettled(dialog);
    static_cast<QDialog*>(dialog)->accept();  // the file dialog checks the typed names
  });
  Click(w.btnAddFiles);
  OnNextModal<QFileDialog>([&](QFileDialog* dialog) {
    EXPECT_EQ(dialog->windowTitle(), "请选择要打包的文件夹,整个文件夹都会被当做整体被打包。");
    EXPECT_EQ(dialog->fileMode(), QFileDialog::Directory);
    dialog->setDirectory(h.home + "/in");
    dialog->findChild<QLineEdit*>("fileNameEdit")->setText("album");
    WaitUntilSettled(dialog);
    static_cast<QDialog*>(dialog)->accept();  // the file dialog checks the typed names
  });
  Click(w.btnAddFolder);
  // Cancelled: nothing.
  OnNextModal<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
  Click(w.btnAddFiles);

  QStringList paths;
  for (const QStringList& row : RowTexts(*w.ListView1)) paths << row[TBatchList::colPath];
  EXPECT_EQ(paths, QStringList({h.In("a.bin"), h.In("b c.bin"), h.In("album")}));
  EXPECT_EQ(w.ListView1->Row(2)->text(TBatchList::colType), "文件夹");
  EXPECT_EQ(recorder.texts(), QStringList());
}

// A Return in the folder picker chooses the folder it shows, but not in the picker's first moment
// on the screen, when it can only be a key typed ahead by a user who has not seen the picker.
TEST_F(BatchListWindow, APickerAcceptsOnlyAfterItsFirstMomentOnTheScreen) {
  for (const bool settled : {false, true}) {
    SCOPED_TRACE(settled);
    w.ListView1->clear();
    bool stayed = false;
    OnNextModal<QFileDialog>([&](QFileDialog* dialog) {
      dialog->setDirectory(h.home + "/in");
      if (settled) WaitUntilSettled(dialog);
      QTest::keyClick(dialog->focusWidget(), Qt::Key_Return);
      stayed = dialog->isVisible();
      if (stayed) dialog->reject();
    });
    Click(w.btnAddFolder);
    EXPECT_EQ(stayed, !settled);
    EXPECT_EQ(w.ListView1->RowCount(), settled ? 1 : 0);
    if (settled) {
      EXPECT_EQ(w.ListView1->Row(0)->text(TBatchList::colPath), h.home + "/in");
    }
  }
}

QList<bool> Checks(const TBatchList& list) {
  QList<bool> checks;
  for (int i = 0; i < list.RowCount(); ++i)
    checks << (list.Row(i)->checkState(TBatchList::colType) == Qt::Checked);
  return checks;
}

TEST_F(BatchListWindow, CheckMenuDeleteCheckedAndClear) {
  for (const char* name : {"0", "1", "2", "3"}) w.ListView1->AddPath(h.In(name));
  w.ListView1->Row(1)->setCheckState(TBatchList::colType, Qt::Unchecked);

  w.N3->trigger();
  EXPECT_EQ(Checks(*w.ListView1), QList<bool>({false, true, false, false}));
  w.N1->trigger();
  EXPECT_EQ(Checks(*w.ListView1), QList<bool>({true, true, true, true}));
  w.N2->trigger();
  EXPECT_EQ(Checks(*w.ListView1), QList<bool>({false, false, false, false}));

  // Checked rows go, not the highlighted one.
  w.ListView1->Row(0)->setCheckState(TBatchList::colType, Qt::Checked);
  w.ListView1->Row(2)->setCheckState(TBatchList::colType, Qt::Checked);
  w.ListView1->setCurrentItem(w.ListView1->Row(1));
  w.N5->trigger();
  QStringList left;
  for (const QStringList& row : RowTexts(*w.ListView1)) left << row[TBatchList::colPath];
  EXPECT_EQ(left, QStringList({h.In("1"), h.In("3")}));

  Click(w.btnClear);
  EXPECT_EQ(w.ListView1->RowCount(), 0);
  EXPECT_EQ(recorder.texts(), QStringList());
}

TEST(BatchList, RowColoursFollowTheResult) {
  TBatchList list;
  for (int i = 0; i < 3; ++i) list.AddPath(QString::number(i));
  const QBrush plain = list.Row(0)->foreground(0);
  list.RecordOutput(0, TMyData{"/out/a.zip", {}, false, isPlausible}, "a.zip", "7.00KB");
  list.RecordOutput(1, TMyData{"/out/b.zip", {}, false, isFailed}, "文件可能出错", "1.00KB");
  for (int c = 0; c < TBatchList::colCount; ++c) {
    EXPECT_EQ(list.Row(0)->foreground(c).color(), theme::PlausibleText()) << c;
    EXPECT_EQ(list.Row(1)->foreground(c).color(), theme::FailedText()) << c;
    EXPECT_EQ(list.Row(2)->foreground(c), plain) << c;
  }
  EXPECT_EQ(list.Row(1)->text(TBatchList::colOutputName), "文件可能出错");
  // A later failure of the same row turns it red again.
  list.RecordOutput(0, TMyData{"/out/a.zip", {}, false, isFailed}, {}, {});
  EXPECT_EQ(list.Row(0)->foreground(TBatchList::colPath).color(), theme::FailedText());
}

TEST(BatchList, ContentTipShowsElevenNamesThenDots) {
  const auto names = [](int count) {
    QStringList list;
    for (int i = 0; i < count; ++i) list << QStringLiteral("f%1").arg(i);
    return list;
  };
  const auto tip = [](const QStringList& entries) { return TBatchList::ContentTipLines(entries).join('\n'); };
  const QString head = "【打包的压缩包内容如下】:";
  EXPECT_EQ(tip({}), head);
  EXPECT_EQ(tip(names(11)), head + "\n" + names(11).join('\n'));
  EXPECT_EQ(tip(names(12)), head + "\n" + names(11).join('\n') + "\n.....");
  EXPECT_EQ(tip(names(14)), head + "\n" + names(11).join('\n') + "\n.....\n.....\n.....");
  const QString full =
      head + "\n" + names(11).join('\n') + "\n.....\n.....\n.....\n【更多内容请右击列表查看】";
  EXPECT_EQ(tip(names(15)), full);
  EXPECT_EQ(tip(names(20)), full);
}

// A tip's lines as they appear on the screen, each read from left to right (its glyphs in the
// order of their positions): rich text is laid out as a document, plain text as a label draws it
// (one paragraph, line breaks as line separators). Direction marks, drawn as nothing, are left out.
QStringList DisplayedLines(const QString& tip) {
  const auto visual = [](const QTextLine& line, const QString& text) {
    const QString chars = text.mid(line.textStart(), line.textLength());
    // A direction mark is drawn as a space of no width: at the end of the line, or at the
    // position of the character beside it.
    QMap<qreal, QChar> byX;
    const qreal end = line.x() + line.naturalTextWidth();
    for (const QGlyphRun& run : line.glyphRuns()) {
      QHash<quint32, QChar> charOf;
      for (const QChar c : chars)
        if (c.category() != QChar::Other_Format && c != QChar::LineSeparator)
          for (const quint32 glyph : run.rawFont().glyphIndexesForString(QString(c))) charOf.insert(glyph, c);
      const QList<quint32> glyphs = run.glyphIndexes();
      const QList<QPointF> positions = run.positions();
      for (int g = 0; g < glyphs.size(); ++g) {
        const qreal x = positions[g].x();
        const QChar c = charOf.value(glyphs[g]);
        if (c.isNull() || x > end - 0.01 || (c == ' ' && byX.contains(x))) continue;
        byX[x] = c;
      }
    }
    QString shown;
    for (const QChar c : std::as_const(byX)) shown += c;
    return shown;
  };
  QStringList lines;
  if (Qt::mightBeRichText(tip)) {
    QTextDocument document;
    document.setHtml(tip);
    document.documentLayout();  // lays the blocks out
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
      for (int l = 0; l < block.layout()->lineCount(); ++l)
        lines << visual(block.layout()->lineAt(l), block.text());
    return lines;
  }
  const QString text = QString(tip).replace('\n', QChar::LineSeparator);
  QTextLayout layout(text, QToolTip::font());
  layout.beginLayout();
  for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine())
    line.setLineWidth(1e6);
  layout.endLayout();
  for (int l = 0; l < layout.lineCount(); ++l) lines << visual(layout.lineAt(l), text);
  return lines;
}

// An output archive of 20 entries made by rar with encrypted names, so it can only be listed
// with the password it was made with.
QString MakeOutput(const WindowHome& h, const QString& password) {
  const QString tree = h.home + "/tree";
  QStringList names;
  for (int i = 0; i < 20; ++i) {
    names << QStringLiteral("f%1.txt").arg(i, 2, 10, QChar('0'));
    WriteFile(tree + "/" + names.last(), "x");
  }
  const QString archive = h.Out("twenty.rar");
  MakeDir(h.home + "/out");
  EXPECT_EQ(RunTool("rar", QStringList{"a", "-idq", "-hp" + password, archive} + names, tree).exitCode, 0);
  return archive;
}

QString HoverTip(TBatchList& list, int row) {
  QToolTip::hideText();
  const QRect rect = list.visualItemRect(list.Row(row));
  QHelpEvent help(QEvent::ToolTip, rect.center(), list.viewport()->mapToGlobal(rect.center()));
  QApplication::sendEvent(list.viewport(), &help);
  return QToolTip::text();
}

TEST_F(BatchListWindow, HoverOverAPlausibleOutputListsItsContent) {
  HM_REQUIRE_TOOL("rar");
  const QString archive = MakeOutput(h, "s3cret");
  TBatchList& list = *w.ListView1;
  for (int i = 0; i < 4; ++i) list.AddPath(h.In("source.zip"));
  list.RecordOutput(0, TMyData{archive, "s3cret", false, isPlausible}, "twenty.rar", "1.00KB");
  list.RecordOutput(1, TMyData{archive, "s3cret", false, isFailed}, "文件可能出错", "1.00KB");
  list.RecordOutput(2, TMyData{archive, "wrong", false, isPlausible}, "twenty.rar", "1.00KB");

  QStringList expected;
  for (int i = 0; i < 11; ++i) expected << QStringLiteral("f%1.txt").arg(i, 2, 10, QChar('0'));
  const QStringList tip = QStringList{"【打包的压缩包内容如下】:"} + expected +
                          QStringList{".....", ".....", ".....", "【更多内容请右击列表查看】"};
  EXPECT_EQ(DisplayedLines(HoverTip(list, 0)), tip);
  const QString ownHint = list.toolTip();
  EXPECT_EQ(HoverTip(list, 1), ownHint) << "a failed output gets no content tip";
  EXPECT_EQ(HoverTip(list, 2), ownHint) << "an output that cannot be listed gets none";
  EXPECT_EQ(HoverTip(list, 3), ownHint) << "a row not processed gets none";

  // Tips switched off in the settings.
  WindowHome other(true);
  TSettings settings = other.QuickSettings();
  settings.InfoTip = false;
  other.Save(settings);
  Tfrmmain quiet(other.paths);
  quiet.show();
  quiet.ListView1->AddPath(h.In("source.zip"));
  quiet.ListView1->RecordOutput(0, TMyData{archive, "s3cret", false, isPlausible}, "twenty.rar", "1.00KB");
  EXPECT_EQ(HoverTip(*quiet.ListView1, 0), ownHint);
}

TEST_F(BatchListWindow, ViewerListsTheOutputOfTheSelectedRow) {
  HM_REQUIRE_TOOL("rar");
  const QString archive = MakeOutput(h, "s3cret");
  TBatchList& list = *w.ListView1;
  list.AddPath(h.In("source.zip"));
  list.AddPath(h.In("source.zip"));
  list.RecordOutput(0, TMyData{archive, "s3cret", false, isPlausible}, "twenty.rar", "1.00KB");
  list.RecordOutput(1, TMyData{archive, "s3cret", false, isFailed}, "文件可能出错", "1.00KB");

  w.N18->trigger();  // no row selected: nothing
  EXPECT_EQ(recorder.texts(), QStringList());

  list.setCurrentItem(list.Row(1));
  w.N18->trigger();
  EXPECT_EQ(recorder.texts(), QStringList({"暂时只支持显示已打包完成的压缩包内容，请先打包。"}));

  QString caption, column;
  QStringList rows;
  QSize size;
  OnNextModal<TfrmFileList>([&](TfrmFileList* viewer) {
    caption = viewer->windowTitle();
    column = viewer->ListView1->headerItem()->text(0);
    for (int i = 0; i < viewer->ListView1->topLevelItemCount(); ++i)
      rows << viewer->ListView1->topLevelItem(i)->text(0);
    size = viewer->size();
    viewer->reject();
  });
  list.setCurrentItem(list.Row(0));
  w.N18->trigger();
  EXPECT_EQ(caption, "文件列表");
  EXPECT_EQ(column, "文件名(20)");
  ASSERT_EQ(rows.size(), 20);
  EXPECT_EQ(rows.first(), "f00.txt");
  EXPECT_EQ(rows.last(), "f19.txt");
  EXPECT_EQ(size, QSize(550, 392));
  EXPECT_EQ(recorder.messages().size(), 1);
}

// Names an archive may hold that would mislead a reader: each stays on its own line of the tip
// and its own row of the viewer, reads as it is written, and a long one is cut in its middle so
// that the tip stays on the screen.
TEST_F(BatchListWindow, OddEntryNamesShowOneALineAsWritten) {
  HM_REQUIRE_TOOL("python3");
  const QString longName = QString(250, 'n') + ".txt";
  const QString rightToLeft = QString("evil") + QChar(0x202E) + "gpj.exe";
  const struct {
    QString name;
    QString shown;  // read from left to right
  } names[] = {
      {rightToLeft, "evilexe.jpg"},  // the override acts inside its own name only
      {"new.txt", "new.txt"},
      {"two\nlines.txt", "two\\nlines.txt"},
      {"tab\there.txt", "tab\\there.txt"},
      {QString("bell") + QChar(7) + QChar(0x85) + ".txt", "bell\\x07\\u0085.txt"},
      {"<b>bold</b> &amp; %1.txt", "<b>bold</b> &amp; %1.txt"},
      {longName, {}},
      {"after.txt", "after.txt"},
  };
  QStringList entries;
  for (const auto& n : names) entries << n.name;
  const QString archive = h.Out("odd.zip");
  MakeDir(h.home + "/out");
  ASSERT_EQ(RunTool("python3", QStringList{"-c",
                                           "import sys, zipfile\n"
                                           "with zipfile.ZipFile(sys.argv[1], 'w') as z:\n"
                                           "    for name in sys.argv[2:]: z.writestr(name, 'x')\n",
                                           archive} +
                                   entries)
                .exitCode,
            0);
  TBatchList& list = *w.ListView1;
  list.AddPath(h.In("source.zip"));
  list.RecordOutput(0, TMyData{archive, {}, false, isPlausible}, "odd.zip", "1.00KB");

  const QStringList lines = DisplayedLines(HoverTip(list, 0));
  ASSERT_EQ(lines.size(), 1 + int(std::size(names))) << lines.join('|').toStdString();
  for (int i = 0; i < int(std::size(names)); ++i) {
    if (names[i].name == longName) continue;
    EXPECT_EQ(lines[1 + i], names[i].shown);
  }
  const QString elided = lines[1 + 6];
  EXPECT_TRUE(elided.startsWith("nnnn") && elided.endsWith("n.txt") && elided.contains(QChar(0x2026)))
      << elided.toStdString();
  QWidget* tipLabel = nullptr;
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (widget->objectName() == "qtooltip_label" && widget->isVisible()) tipLabel = widget;
  ASSERT_NE(tipLabel, nullptr);
  EXPECT_LE(tipLabel->width(), tipLabel->screen()->availableGeometry().width());

  // The viewer shows each name in one row, its control characters as the tip shows them.
  list.setCurrentItem(list.Row(0));
  QStringList rows;
  OnNextModal<TfrmFileList>([&](TfrmFileList* viewer) {
    for (int i = 0; i < viewer->ListView1->topLevelItemCount(); ++i)
      rows << viewer->ListView1->topLevelItem(i)->text(0);
    viewer->reject();
  });
  w.N18->trigger();
  ASSERT_EQ(rows.size(), int(std::size(names)));
  EXPECT_EQ(rows[0], rightToLeft);
  EXPECT_EQ(rows[2], "two\\nlines.txt");
  EXPECT_EQ(rows[4], "bell\\x07\\u0085.txt");
  EXPECT_EQ(rows[6], longName);
}

TEST_F(BatchListWindow, SourceAndOutputShownInTheFileManager) {
  testsupport::FakeDesktop desktop;
  desktop.Tool("gdbus", 0);
  WriteFile(h.In("game.zip"), "zip");
  WriteFile(h.Out("game.rar"), "rar");
  TBatchList& list = *w.ListView1;
  list.AddPath(h.In("game.zip"));
  list.AddPath(h.In("missing.zip"));
  list.RecordOutput(0, TMyData{h.Out("game.rar"), {}, false, isPlausible}, "game.rar", "1.00KB");
  const auto shownFile = [&](int lines) {
    const QList<QByteArray> calls = desktop.Calls(lines);
    return calls.size() < lines ? QByteArray() : calls[lines - 1].split('\'').value(1);
  };
  const auto uri = [](const QString& path) { return "file://" + QUrl::toPercentEncoding(path, "/"); };

  // Nothing selected, or a row whose files are not there: nothing is opened (else the first
  // call below would be another).
  w.N6->trigger();
  list.setCurrentItem(list.Row(1));
  w.N6->trigger();
  w.N15->trigger();

  list.setCurrentItem(list.Row(0));
  w.N6->trigger();
  EXPECT_EQ(shownFile(1), uri(h.In("game.zip")));
  w.N15->trigger();
  EXPECT_EQ(shownFile(2), uri(h.Out("game.rar")));
  // A double click is the output item.
  const QRect rect = list.visualItemRect(list.Row(0));
  // As the platform delivers one: press, release, double click, release.
  QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, rect.center());
  QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, rect.center());
  QTest::mouseRelease(list.viewport(), Qt::LeftButton, {}, rect.center());
  EXPECT_EQ(shownFile(3), uri(h.Out("game.rar")));
  EXPECT_EQ(recorder.texts(), QStringList());
}

}  // namespace
