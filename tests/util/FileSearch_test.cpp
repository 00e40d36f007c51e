// The breadth-first folder walk: event order, filters, and handlers that change the tree.
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>

#include "support/TestSupport.h"
#include "util/EasyFileSearch.h"
#include "util/FileOps.h"

using testsupport::MakeDir;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

// Records the walk as lines: "enter <path relative to the temp folder>" and "<Path><Name>".
struct Recorder {
  explicit Recorder(const QString& base) : base_(base + '/') {}

  void Attach(TEasyFileSearch& search) {
    search.OnChangeFolder = [this](const QString& path) { log << "enter " + Relative(path); };
    search.OnFileFound = [this](const TFileInformations& info) {
      log << Relative(info.Path) + info.Name;
      found.push_back(info);
    };
    search.OnStatistics = [this](const TStatistics& s) {
      stats = s;
      ++statisticsFired;
    };
  }

  QString Relative(const QString& path) const {
    return path.startsWith(base_) ? path.mid(base_.size()) : path;
  }

  QString base_;
  QStringList log;
  std::vector<TFileInformations> found;
  TStatistics stats;
  int statisticsFired = 0;
};

TEST(FileSearch, BreadthFirstWithFoldersReportedBeforeTheyAreEntered) {
  TempDir dir;
  WriteFile(dir.file("root/A/x.txt"), "x");
  WriteFile(dir.file("root/A/A1/deep.txt"), "d");
  WriteFile(dir.file("root/B/y.txt"), "y");
  WriteFile(dir.file("root/z.txt"), "z");
  WriteFile(dir.file("root/.hidden"), "h");
  MakeDir(dir.file("root/empty"));

  TEasyFileSearch search;
  Recorder recorder(dir.path());
  recorder.Attach(search);
  search.SetRootPath(dir.file("root"));
  search.SetFileNames({"*"});
  EXPECT_TRUE(search.Search());
  EXPECT_EQ(recorder.log,
            QStringList({"enter root", "root/.hidden", "root/A", "root/B", "root/empty", "root/z.txt",
                         "enter root/A", "root/A/A1", "root/A/x.txt", "enter root/B", "root/B/y.txt",
                         "enter root/empty", "enter root/A/A1", "root/A/A1/deep.txt"}));
  for (const TFileInformations& info : recorder.found) EXPECT_TRUE(info.Path.endsWith('/'));
  EXPECT_EQ(recorder.statisticsFired, 1);
  EXPECT_EQ(recorder.stats.NbFilesFound, 5);
  EXPECT_EQ(recorder.stats.FoundInNbPath, 4);
  EXPECT_EQ(recorder.stats.NbPathFound, 4);

  // A root given with its final slash is announced as given.
  recorder.log.clear();
  search.SetRootPath(dir.file("root/B/"));
  EXPECT_TRUE(search.Search());
  EXPECT_EQ(recorder.log, QStringList({"enter root/B/", "root/B/y.txt"}));
}

TEST(FileSearch, DefaultMaskNeedsADotInFileNamesButNotInFolderNames) {
  TempDir dir;
  WriteFile(dir.file("root/README"), "");
  WriteFile(dir.file("root/a.txt"), "");
  WriteFile(dir.file("root/folder/in.txt"), "");
  TEasyFileSearch search;
  EXPECT_EQ(search.Version(), "TEasyFileSearch v1.02");
  search.SetVersion("other");
  EXPECT_EQ(search.Version(), "TEasyFileSearch v1.02");
  EXPECT_EQ(search.FileNames(), QStringList{"*.*"});
  Recorder recorder(dir.path());
  recorder.Attach(search);
  search.SetRootPath(dir.file("root"));
  EXPECT_TRUE(search.Search());
  EXPECT_EQ(recorder.log, QStringList({"enter root", "root/a.txt", "root/folder", "enter root/folder",
                                       "root/folder/in.txt"}));
}

TEST(FileSearch, MissingRootIsAnnouncedOnceAndFails) {
  TempDir dir;
  TEasyFileSearch search;
  Recorder recorder(dir.path());
  recorder.Attach(search);
  search.SetRootPath(dir.file("missing"));
  EXPECT_FALSE(search.Search());
  EXPECT_EQ(recorder.log, QStringList{"enter missing"});
  EXPECT_EQ(recorder.statisticsFired, 1);
}

// root/A, root/B (deleted by the handler when reported), root/C, each with one file.
struct DeletingWalk {
  TempDir dir;
  TEasyFileSearch search;
  Recorder recorder{dir.path()};

  DeletingWalk() {
    for (const char* name : {"A", "B", "C"}) WriteFile(dir.file(QString("root/%1/f.txt").arg(name)), "");
    recorder.Attach(search);
    search.SetRootPath(dir.file("root"));
    search.SetFileNames({"*"});
    search.OnFileFound = [this](const TFileInformations& info) {
      recorder.log << recorder.Relative(info.FullPath());
      if (info.Name == "B") DeletePath(info.FullPath());
    };
  }
};

TEST(FileSearch, AFolderDeletedByAHandlerEndsTheWalkWhenItsTurnComes) {
  DeletingWalk walk;
  EXPECT_FALSE(walk.search.Search());
  EXPECT_EQ(walk.recorder.log, QStringList({"enter root", "root/A", "root/B", "root/C", "enter root/A",
                                            "root/A/f.txt", "enter root/B"}));
  EXPECT_EQ(walk.recorder.statisticsFired, 1);
}

TEST(FileSearch, SkipMissingFoldersGoesOnAfterAVanishedFolder) {
  DeletingWalk walk;
  walk.search.SetSkipMissingFolders(true);
  EXPECT_TRUE(walk.search.Search());
  EXPECT_EQ(walk.recorder.log, QStringList({"enter root", "root/A", "root/B", "root/C", "enter root/A",
                                            "root/A/f.txt", "enter root/B", "enter root/C", "root/C/f.txt"}));
}

TEST(FileSearch, ChangeFolderHandlerDeletingItsFolderEndsTheWalk) {
  TempDir dir;
  WriteFile(dir.file("root/ad/f.txt"), "");
  WriteFile(dir.file("root/later/g.txt"), "");
  TEasyFileSearch search;
  Recorder recorder(dir.path());
  recorder.Attach(search);
  search.OnChangeFolder = [&](const QString& path) {
    recorder.log << "enter " + recorder.Relative(path);
    if (path.endsWith("/ad")) DeletePath(path);
  };
  search.SetRootPath(dir.file("root"));
  search.SetFileNames({"*"});
  EXPECT_FALSE(search.Search());
  EXPECT_EQ(recorder.log, QStringList({"enter root", "root/ad", "root/later", "enter root/ad"}));
}

TEST(FileSearch, HandlersMayDeleteAndRenameEntriesOfTheFolderBeingListed) {
  TempDir dir;
  WriteFile(dir.file("root/a[ad].txt"), "");
  WriteFile(dir.file("root/b.url"), "");
  WriteFile(dir.file("root/c.txt"), "");
  WriteFile(dir.file("root/d.txt"), "");
  TEasyFileSearch search;
  Recorder recorder(dir.path());
  recorder.Attach(search);
  search.OnFileFound = [&](const TFileInformations& info) {
    recorder.log << info.Name;
    if (info.Name == "a[ad].txt") RenamePath(info.FullPath(), info.Path + "z.txt");  // sorts last
    if (info.Name == "b.url") DeletePath(info.FullPath());
    if (info.Name == "c.txt") DeletePath(info.Path + "d.txt");  // a sibling not reported yet
  };
  search.SetRootPath(dir.file("root"));
  EXPECT_TRUE(search.Search());
  // The renamed file is not reported again; the deleted sibling is, with what the listing gave.
  EXPECT_EQ(recorder.log, QStringList({"enter root", "a[ad].txt", "b.url", "c.txt", "d.txt"}));
}

TEST(FileSearch, MasksWithSetsRangesAndExclusions) {
  TempDir dir;
  for (const char* name : {"alpha.txt", "Beta.TXT", "delta.txt", "file1.dat", "fileX.tmp", "gamma.txt"})
    WriteFile(dir.file(QString("root/") + name), "");
  TEasyFileSearch search;
  Recorder recorder(dir.path());
  recorder.Attach(search);
  search.SetRootPath(dir.file("root"));
  search.SetFileNames({"[a-c]*.txt", "file?.[!t]*", "g*"});
  search.SetExcludedFiles({"*mm*"});
  EXPECT_TRUE(search.Search());
  EXPECT_EQ(recorder.log, QStringList({"enter root", "root/Beta.TXT", "root/alpha.txt", "root/file1.dat"}));

  search.SetFileNames({"[unclosed"});
  recorder.log.clear();
  EXPECT_THROW(search.Search(), EMaskException);
  EXPECT_TRUE(recorder.log.isEmpty()) << "nothing fires before the masks are checked";
}

TEST(FileSearch, AttributesSizesAndTimes) {
  TempDir dir;
  WriteFile(dir.file("root/plain.txt"), "12345");
  WriteFile(dir.file("root/ro.txt"), "");
  WriteFile(dir.file("root/.hidden"), "");
  WriteFile(dir.file("root/target/in.txt"), "");
  ASSERT_EQ(chmod(QFile::encodeName(dir.file("root/ro.txt")).constData(), 0444), 0);
  ASSERT_EQ(symlink(QFile::encodeName(dir.file("root/target")).constData(),
                    QFile::encodeName(dir.file("root/link")).constData()),
            0);
  ASSERT_EQ(mkfifo(QFile::encodeName(dir.file("root/pipe")).constData(), 0644), 0);
  {
    QFile file(dir.file("root/plain.txt"));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6, 789)),
                                 QFileDevice::FileModificationTime));
  }
  TEasyFileSearch search;
  Recorder recorder(dir.path());
  recorder.Attach(search);
  search.SetRootPath(dir.file("root"));
  search.SetFileNames({"*"});
  ASSERT_TRUE(search.Search());
  std::map<QString, TFileInformations> byName;
  for (const TFileInformations& info : recorder.found) byName[info.Name] = info;
  EXPECT_EQ(byName["plain.txt"].Attributes, quint32(faArchive));
  EXPECT_EQ(byName["plain.txt"].Size, 5);
  EXPECT_EQ(byName["ro.txt"].Attributes, quint32(faArchive | faReadOnly));
  EXPECT_EQ(byName[".hidden"].Attributes, quint32(faArchive | faHidden));
  EXPECT_EQ(byName["target"].Attributes, quint32(faDirectory));
  EXPECT_EQ(byName["target"].Size, 0);
  EXPECT_EQ(byName["link"].Attributes, quint32(faArchive | faSymLink));
  EXPECT_EQ(byName["pipe"].Attributes, quint32(faSysFile));
  EXPECT_FALSE(recorder.log.contains("enter root/link")) << "links are never entered";
  const TSystemTime expected{2001, 2, 6, 3, 4, 5, 6, 789};  // a Saturday
  EXPECT_EQ(byName["plain.txt"].Time.WriteTime, expected);

  // Without details: the listing's own data, the same entries, nothing else.
  search.SetReadDetails(false);
  recorder.found.clear();
  ASSERT_TRUE(search.Search());
  std::map<QString, TFileInformations> light;
  for (const TFileInformations& info : recorder.found) light[info.Name] = info;
  EXPECT_EQ(light.size(), byName.size());
  EXPECT_EQ(light["ro.txt"].Attributes, quint32(faArchive)) << "the read-only bit needs the details";
  EXPECT_EQ(light[".hidden"].Attributes, quint32(faArchive | faHidden));
  EXPECT_EQ(light["target"].Attributes, quint32(faDirectory));
  EXPECT_EQ(light["link"].Attributes, quint32(faArchive | faSymLink));
  EXPECT_EQ(light["pipe"].Attributes, quint32(faSysFile));
  EXPECT_EQ(light["plain.txt"].Size, 0);
  EXPECT_EQ(light["plain.txt"].Time.WriteTime, TSystemTime{});

  // Only folders and hidden entries: the attribute test.
  search.SetSearchOptions(okIncludeSubfolder | okLookForDirectory | okLookForHiddenFile);
  recorder.log.clear();
  ASSERT_TRUE(search.Search());
  EXPECT_EQ(recorder.log, QStringList({"enter root", "root/.hidden", "root/target", "enter root/target"}));
}

TEST(FileSearch, DateSizeAndAcceptFilters) {
  TempDir dir;
  WriteFile(dir.file("root/old.txt"), "");
  WriteFile(dir.file("root/new.txt"), QByteArray(200, 'x'));
  {
    QFile file(dir.file("root/old.txt"));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    const QDateTime old(QDate(2001, 2, 3), QTime(12, 0));
    ASSERT_TRUE(file.setFileTime(old, QFileDevice::FileModificationTime));
    ASSERT_TRUE(file.setFileTime(old, QFileDevice::FileAccessTime));
  }
  TEasyFileSearch search;
  Recorder recorder(dir.path());
  recorder.Attach(search);
  search.SetRootPath(dir.file("root"));
  auto run = [&] {
    recorder.log.clear();
    EXPECT_TRUE(search.Search());
    return recorder.log.mid(1);
  };

  search.SetFilterKind(fkFilterOnDate);
  search.SetDateFilterFileAccess(dfakModifiedFiles);
  search.SetDateFilterKind(dfkSame);
  search.SetDateFilterFirstDate(QDateTime(QDate(2001, 2, 3), QTime(23, 59)));  // the time is ignored
  EXPECT_EQ(run(), QStringList{"root/old.txt"});
  search.SetDateFilterKind(dfkBefore);
  search.SetDateFilterFirstDate(QDateTime(QDate::currentDate(), QTime(0, 0)));
  EXPECT_EQ(run(), QStringList{"root/old.txt"});
  search.SetDateFilterKind(dfkAfter);
  search.SetDateFilterFirstDate(QDateTime(QDate(2001, 2, 3), QTime(0, 0)));
  EXPECT_EQ(run(), QStringList{"root/new.txt"});
  search.SetDateFilterKind(dfkBetween);
  search.SetDateFilterSecondDate(QDateTime(QDate(2001, 2, 3), QTime(0, 0)));
  EXPECT_EQ(run(), QStringList{"root/old.txt"});

  search.SetFilterKind(fkFilterOnSize);
  search.SetReadDetails(false);  // a size filter reads the sizes all the same
  search.SetSizeFilterKind(sfkBiggerOrEqualTo);
  search.SetSizeFilterSize(200);
  EXPECT_EQ(run(), QStringList{"root/new.txt"});
  search.SetSizeFilterKind(sfkSmallerOrEqualTo);
  search.SetSizeFilterSize(199);
  EXPECT_EQ(run(), QStringList{"root/old.txt"});

  search.SetFilterKind({});
  search.OnAcceptFile = [](const TFileInformations& info) { return info.Name != "new.txt"; };
  EXPECT_EQ(run(), QStringList{"root/old.txt"});
  EXPECT_EQ(recorder.stats.NbFilesFound, 1) << "a refused entry is not counted";
}

}  // namespace
