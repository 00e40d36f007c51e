// INI files with the Windows profile semantics the settings rely on.
#include <sys/stat.h>

#include <QFile>

#include "support/TestSupport.h"
#include "util/CodePage.h"
#include "util/IniFile.h"

using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

mode_t ModeOf(const QString& path) {
  struct stat st {};
  stat(QFile::encodeName(path).constData(), &st);
  return st.st_mode & 07777;
}

TEST(IniFile, MissingFileReadsAsEmpty) {
  TempDir dir;
  const TIniFile ini(dir.file("none.ini"));
  EXPECT_EQ(ini.ReadString("Setting", "OutputPath", "default"), "default");
  EXPECT_EQ(ini.ReadInteger("Setting", "nameType", 1), 1);
  EXPECT_FALSE(ini.SectionExists("Setting"));
  EXPECT_TRUE(ini.ReadSection("Setting").isEmpty());
  EXPECT_FALSE(QFile::exists(dir.file("none.ini"))) << "reading creates nothing";
}

TEST(IniFile, NamesIgnoreCaseValuesAreTrimmedAndTheFirstOccurrenceWins) {
  TempDir dir;
  WriteFile(dir.file("s.ini"),
            "top=ignored\r\n"
            "; comment=no\r\n"
            "[Setting]\r\n"
            "  OutputPath  =  /out/dir  \r\n"
            "Empty=\r\n"
            "LockRAR=1\n"
            "lockrar=0\r\n"
            "CompressPwd=c2VjcmV0==\r\n"
            "no equals sign\r\n"
            "[ Other ]\r\n"
            "Key=other\r\n"
            "[setting]\r\n"
            "Late=never\r\n");
  const TIniFile ini(dir.file("s.ini"));
  EXPECT_EQ(ini.ReadString("SETTING", "outputpath", ""), "/out/dir");
  EXPECT_EQ(ini.ReadString("Setting", "Empty", "default"), "") << "an empty value is a value";
  EXPECT_EQ(ini.ReadString("Setting", "LockRAR", ""), "1");
  EXPECT_EQ(ini.ReadString("Setting", "CompressPwd", ""), "c2VjcmV0==") << "only the first '=' splits";
  EXPECT_EQ(ini.ReadString("Setting", "Late", "none"), "none") << "a repeated section is not read";
  EXPECT_EQ(ini.ReadString("other", "key", ""), "other");
  EXPECT_EQ(ini.ReadString("Setting", "top", "none"), "none");
  EXPECT_EQ(ini.ReadSection("Setting"),
            QStringList({"OutputPath", "Empty", "LockRAR", "lockrar", "CompressPwd"}));
  EXPECT_EQ(ini.ReadSections(), QStringList({"Setting", "Other", "setting"}));
  EXPECT_TRUE(ini.ValueExists("setting", "EMPTY"));
  EXPECT_FALSE(ini.ValueExists("Setting", "no equals sign"));
}

TEST(IniFile, ValuesAreReadUpTo2047Characters) {
  TempDir dir;
  WriteFile(dir.file("s.ini"), "[S]\r\nlong=" + QByteArray(3000, 'x') + "\r\n");
  EXPECT_EQ(TIniFile(dir.file("s.ini")).ReadString("S", "long", "").size(), 2047);
}

TEST(IniFile, ReadIntegerGivesTheDefaultForGarbage) {
  TempDir dir;
  WriteFile(dir.file("s.ini"),
            "[S]\r\na=12\r\nb= -3 \r\nc=0x1F\r\nd=$10\r\ne=abc\r\nf=12abc\r\ng=\r\nh=99999999999\r\n");
  const TIniFile ini(dir.file("s.ini"));
  const std::pair<const char*, int> cases[] = {{"a", 12}, {"b", -3}, {"c", 31}, {"d", 16},      {"e", 77},
                                               {"f", 77}, {"g", 77}, {"h", 77}, {"missing", 77}};
  for (const auto& [key, expected] : cases) EXPECT_EQ(ini.ReadInteger("S", key, 77), expected) << key;
}

TEST(IniFile, WritesKeepEveryOtherSectionKeyAndLine) {
  TempDir dir;
  const QString path = dir.file("s.ini");
  WriteFile(path,
            "; written by hand\r\n"
            "[Setting]\r\n"
            "OutputPath=/old\r\n"
            "LockRAR=1\r\n"
            "\r\n"
            "[M123]\r\n"
            "Run=1\r\n");
  TIniFile ini(path);
  ASSERT_TRUE(ini.WriteString("setting", "outputpath", "/new"));
  ASSERT_TRUE(ini.WriteString("Setting", "DelVer", "0"));
  ASSERT_TRUE(ini.WriteInteger("Setting", "nameType", -1));
  ASSERT_TRUE(ini.WriteString("New", "Key", "v"));
  EXPECT_EQ(ReadFile(path),
            "; written by hand\r\n"
            "[Setting]\r\n"
            "OutputPath=/new\r\n"
            "LockRAR=1\r\n"
            "DelVer=0\r\n"
            "nameType=-1\r\n"
            "\r\n"
            "[M123]\r\n"
            "Run=1\r\n"
            "\r\n"
            "[New]\r\n"
            "Key=v\r\n");

  ASSERT_TRUE(ini.DeleteKey("SETTING", "lockrar"));
  ASSERT_TRUE(ini.EraseSection("m123"));
  ASSERT_TRUE(ini.DeleteKey("Setting", "missing"));
  ASSERT_TRUE(ini.EraseSection("missing"));
  EXPECT_EQ(ReadFile(path),
            "; written by hand\r\n"
            "[Setting]\r\n"
            "OutputPath=/new\r\n"
            "DelVer=0\r\n"
            "nameType=-1\r\n"
            "\r\n"
            "[New]\r\n"
            "Key=v\r\n");
  EXPECT_FALSE(ini.SectionExists("M123"));
  EXPECT_EQ(ini.ReadSection("Setting"), QStringList({"OutputPath", "DelVer", "nameType"}));
}

TEST(IniFile, EveryInstanceSeesWhatOthersWrote) {
  TempDir dir;
  const QString path = dir.file("s.ini");
  TIniFile reader(path);
  EXPECT_EQ(reader.ReadString("S", "k", "none"), "none");  // caches the missing file
  TIniFile writer(path);
  ASSERT_TRUE(writer.WriteString("S", "k", "1"));
  EXPECT_EQ(reader.ReadString("S", "k", "none"), "1");
  ASSERT_TRUE(writer.WriteString("S", "k", "2"));
  EXPECT_EQ(reader.ReadString("S", "k", "none"), "2");
  EXPECT_EQ(TIniFile(path).ReadString("S", "k", "none"), "2");
}

TEST(IniFile, KeepsTheEncodingOfTheFile) {
  TempDir dir;
  const QString value = QString::fromUtf8("输出目录");

  const QString ansi = dir.file("ansi.ini");
  WriteFile(ansi, "[S]\r\nold=" + ToAnsi(value) + "\r\n");
  TIniFile ansiIni(ansi);
  EXPECT_EQ(ansiIni.ReadString("S", "old", ""), value);
  ASSERT_TRUE(ansiIni.WriteString("S", "new", value));
  EXPECT_EQ(ReadFile(ansi), "[S]\r\nold=" + ToAnsi(value) + "\r\nnew=" + ToAnsi(value) + "\r\n");

  const QString utf8 = dir.file("utf8.ini");
  WriteFile(utf8, "\xEF\xBB\xBF[S]\r\nold=" + value.toUtf8() + "\r\n");
  TIniFile utf8Ini(utf8);
  EXPECT_EQ(utf8Ini.ReadString("S", "old", ""), value) << "the mark does not hide the first section";
  ASSERT_TRUE(utf8Ini.WriteString("S", "new", value));
  EXPECT_EQ(ReadFile(utf8),
            "\xEF\xBB\xBF[S]\r\nold=" + value.toUtf8() + "\r\nnew=" + value.toUtf8() + "\r\n");

  const QString utf16 = dir.file("utf16.ini");
  const QString text = "[S]\r\nold=" + value + "\r\n";
  WriteFile(utf16, QByteArray("\xFF\xFE", 2) +
                       QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2));
  TIniFile utf16Ini(utf16);
  EXPECT_EQ(utf16Ini.ReadString("S", "old", ""), value);
  ASSERT_TRUE(utf16Ini.WriteString("S", "old", "x"));
  const QString written = "[S]\r\nold=x\r\n";
  EXPECT_EQ(ReadFile(utf16),
            QByteArray("\xFF\xFE", 2) +
                QByteArray(reinterpret_cast<const char*>(written.utf16()), written.size() * 2));
}

TEST(IniFile, WritesKeepPermissionBitsAndNewFilesArePrivate) {
  TempDir dir;
  const QString fresh = dir.file("fresh.ini");
  ASSERT_TRUE(TIniFile(fresh).WriteString("S", "CompressPwd", "c2VjcmV0"));
  EXPECT_EQ(ModeOf(fresh), 0600u);

  const QString shared = dir.file("shared.ini");
  WriteFile(shared, "[S]\r\n");
  chmod(QFile::encodeName(shared).constData(), 0644);
  ASSERT_TRUE(TIniFile(shared).WriteString("S", "k", "v"));
  EXPECT_EQ(ModeOf(shared), 0644u);
}

TEST(IniFile, RefusedWritesChangeNothing) {
  TempDir dir;
  const QString path = dir.file("s.ini");
  WriteFile(path, "[S]\r\nk=v\r\n");
  TIniFile ini(path);
  EXPECT_FALSE(ini.WriteString("S", "k", "two\r\nlines"));
  EXPECT_FALSE(ini.WriteString("S", "k=x", "v"));
  EXPECT_FALSE(ini.WriteString("S]", "k", "v"));
  EXPECT_FALSE(ini.WriteString("", "k", "v"));
  EXPECT_FALSE(ini.WriteString("S", " ", "v"));
  EXPECT_EQ(ReadFile(path), "[S]\r\nk=v\r\n");
  EXPECT_FALSE(TIniFile(dir.file("missing/s.ini")).WriteString("S", "k", "v")) << "no folder is created";
  EXPECT_FALSE(QFile::exists(dir.file("missing")));
}

}  // namespace
