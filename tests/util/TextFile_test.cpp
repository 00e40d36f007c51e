// Whole text files: byte-order marks, the ANSI code page (CP936 by default), CR LF line ends.
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "support/TestSupport.h"
#include "util/CodePage.h"
#include "util/TextFile.h"

using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

struct LoadCase {
  const char* what;
  QByteArray bytes;
  QString expected;
};

TEST(LoadTextFile, DecodesByMarkOrAnsiAndEndsEveryLineWithCrLf) {
  const QString chinese = QString::fromUtf8("中文");
  const LoadCase cases[] = {
      {"empty file", "", ""},
      {"single line without break", "x", "x\r\n"},
      {"lone LF", "a\nb", "a\r\nb\r\n"},
      {"lone CR and CR LF", "a\rb\r\nc\r\n", "a\r\nb\r\nc\r\n"},
      {"empty lines kept", "a\n\n\nb", "a\r\n\r\n\r\nb\r\n"},
      {"LF CR is two breaks", "a\n\rb", "a\r\n\r\nb\r\n"},
      {"cut at the first NUL", QByteArray("ab\0cd\n", 6), "ab\r\n"},
      {"UTF-8 mark", "\xEF\xBB\xBF" + chinese.toUtf8() + "\n", chinese + "\r\n"},
      {"UTF-8 mark only", "\xEF\xBB\xBF", ""},
      {"UTF-16 LE mark", QByteArray("\xFF\xFE\x2D\x4E\x0A\x00", 6), QString(QChar(0x4E2D)) + "\r\n"},
      {"UTF-16 BE mark", QByteArray("\xFE\xFF\x4E\x2D\x00\x0D", 6), QString(QChar(0x4E2D)) + "\r\n"},
      {"no mark: ANSI code page", ToAnsi(chinese), chinese + "\r\n"},
  };
  TempDir dir;
  for (const LoadCase& c : cases) {
    WriteFile(dir.file("t.txt"), c.bytes);
    EXPECT_EQ(LoadTextFile(dir.file("t.txt")), c.expected) << c.what;
  }
  EXPECT_EQ(LoadTextFile(dir.file("missing.txt")), "");
  EXPECT_EQ(LoadTextFile(dir.path()), "") << "a folder reads as empty";
}

TEST(SaveTextFile, WritesAnsiWithCrLfIntoNewFoldersWithoutAMark) {
  TempDir dir;
  const QString path = dir.file("new/deeper/out.txt");
  EXPECT_EQ(SaveTextFile(QString::fromUtf8("中文\nline2"), path), 1);
  EXPECT_EQ(ReadFile(path), ToAnsi(QString::fromUtf8("中文")) + "\r\nline2\r\n");

  EXPECT_EQ(SaveTextFile("", path), 1);
  EXPECT_EQ(ReadFile(path), "") << "an empty text gives an empty file";

  // A character the code page lacks becomes its default character.
  EXPECT_EQ(SaveTextFile(QString::fromUtf8("a\u0E01\U0001F600b"), path), 1);
  EXPECT_EQ(ReadFile(path), "a??b\r\n");
}

// The writer of edit-box texts (list files, the archive comment): what was typed, byte for byte,
// no line break added after the last line.
TEST(SaveTextFileAsTyped, WritesTheTextAsItStandsWithCrLfBreaks) {
  const QString chinese = QString::fromUtf8("注释");
  const struct {
    const char* what;
    QString text;
    QByteArray bytes;
  } cases[] = {
      {"no final break", "line 1\nline 2", "line 1\r\nline 2"},
      {"one final break", "a\n", "a\r\n"},
      {"empty lines kept, at the end too", "a\n\nb\n\n", "a\r\n\r\nb\r\n\r\n"},
      {"CR LF and lone CR", "a\r\nb\rc", "a\r\nb\r\nc"},
      {"only a break", "\n", "\r\n"},
      {"spaces kept", " x \t", " x \t"},
      {"ANSI code page", chinese + "\n" + chinese, ToAnsi(chinese) + "\r\n" + ToAnsi(chinese)},
      {"empty", "", ""},
  };
  TempDir dir;
  for (const auto& c : cases) {
    const QString path = dir.file("sub/Comment.txt");
    EXPECT_EQ(SaveTextFileAsTyped(c.text, path), 1) << c.what;
    EXPECT_EQ(ReadFile(path), c.bytes) << c.what;
  }
  EXPECT_EQ(SaveTextFileAsTyped("x", dir.path()), -1) << "a folder is not a file";
}

// Read for an edit box and saved back: the same bytes, whether or not the last line had a break.
TEST(SaveTextFileAsTyped, RoundTripKeepsTheBytes) {
  const QString chinese = QString::fromUtf8("欢迎");
  const struct {
    const char* what;
    QByteArray stored;
    QString text;
    QByteArray saved;
  } cases[] = {
      {"no final break", ToAnsi(chinese) + "\r\nb", chinese + "\r\nb", ToAnsi(chinese) + "\r\nb"},
      {"final break", "a\r\n\r\n", "a\r\n\r\n", "a\r\n\r\n"},
      {"LF only", "a\nb\n", "a\r\nb\r\n", "a\r\nb\r\n"},
      {"UTF-8 mark: saved in ANSI without it", "\xEF\xBB\xBF" + chinese.toUtf8(), chinese, ToAnsi(chinese)},
      {"cut at a NUL", QByteArray("ab\0cd", 5), "ab", "ab"},
  };
  TempDir dir;
  const QString path = dir.file("Comment.txt");
  for (const auto& c : cases) {
    WriteFile(path, c.stored);
    const QString text = LoadTextFileAsTyped(path);
    EXPECT_EQ(text, c.text) << c.what;
    ASSERT_EQ(SaveTextFileAsTyped(text, path), 1);
    EXPECT_EQ(ReadFile(path), c.saved) << c.what;
  }
  EXPECT_EQ(LoadTextFileAsTyped(dir.file("missing.txt")), "");
}

TEST(SaveTextFile, RoundTripOfAUtf8FileEndsInAnsi) {
  TempDir dir;
  const QString path = dir.file("readme.txt");
  WriteFile(path, "\xEF\xBB\xBF" + QString::fromUtf8("广告\nkeep").toUtf8());
  QString text = LoadTextFile(path);
  text.replace(QString::fromUtf8("广告"), "ad");
  EXPECT_EQ(SaveTextFile(text, path), 1);
  EXPECT_EQ(ReadFile(path), "ad\r\nkeep\r\n");
}

TEST(SaveTextFile, FailureLeavesTheOldFileWhole) {
  TempDir dir;
  EXPECT_EQ(SaveTextFile("x", dir.path()), -1) << "a folder is not a file";
  WriteFile(dir.file("blocker"), "file");
  EXPECT_EQ(SaveTextFile("x", dir.file("blocker/sub.txt")), -1) << "parent is a file";
  ASSERT_EQ(mkfifo(QFile::encodeName(dir.file("pipe")).constData(), 0600), 0);
  EXPECT_EQ(SaveTextFile("x", dir.file("pipe")), -1) << "a pipe is never replaced by a file";
  EXPECT_TRUE(QFileInfo(dir.file("pipe")).exists() && !QFileInfo(dir.file("pipe")).isFile());
}

// A full disk, simulated by a file-size limit: the old content must survive.
TEST(SaveTextFile, FullDiskKeepsTheOldContent) {
  TempDir dir;
  const QString path = dir.file("readme.txt");
  WriteFile(path, "old content\r\n");
  struct sigaction ignore {};
  struct sigaction previousAction {};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGXFSZ, &ignore, &previousAction);
  rlimit previous{};
  getrlimit(RLIMIT_FSIZE, &previous);
  rlimit limited = previous;
  limited.rlim_cur = 4096;
  setrlimit(RLIMIT_FSIZE, &limited);
  const int result = SaveTextFile(QString(100000, u'x'), path);
  setrlimit(RLIMIT_FSIZE, &previous);
  sigaction(SIGXFSZ, &previousAction, nullptr);
  EXPECT_EQ(result, -1);
  EXPECT_EQ(ReadFile(path), "old content\r\n");
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"readme.txt"})
      << "no temporary file is left behind";
}

}  // namespace
