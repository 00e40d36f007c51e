// The desktop entry the build writes: valid for desktop menus, starting this build's program with
// the files it is given, offered by file managers for the archives the program reads, with the
// action 重新打包 that repacks the selected files at once.
#include <QFileInfo>
#include <QProcess>

#include "support/TestSupport.h"

namespace {

using testsupport::RunTool;
using testsupport::WriteFile;

// The value of key in a group of the entry's text (a desktop entry is not quite an INI file for
// QSettings).
QString Value(const QByteArray& entry, const QByteArray& key, const QByteArray& group = "Desktop Entry") {
  bool inGroup = false;
  for (const QByteArray& line : entry.split('\n')) {
    if (line.startsWith('[')) inGroup = line == '[' + group + ']';
    if (inGroup && line.startsWith(key + '=')) return QString::fromUtf8(line.mid(key.size() + 1));
  }
  return {};
}

TEST(DesktopEntry, ValidAndPointingAtThisBuild) {
  HM_REQUIRE_TOOL("desktop-file-validate");
  const QString entry = testsupport::BinDir() + "/harrowmint.desktop";
  const testsupport::ToolRun check = RunTool("desktop-file-validate", {entry});
  EXPECT_EQ(check.exitCode, 0) << check.out.constData() << check.err.constData();

  const QByteArray text = testsupport::ReadFile(entry);
  const QString program = "\"" + testsupport::BinDir() + "/harrowmint\"";
  EXPECT_EQ(Value(text, "Exec"), program + " %F");
  EXPECT_TRUE(QFileInfo(Value(text, "Icon")).isFile());
  EXPECT_TRUE(QFileInfo(testsupport::BinDir() + "/harrowmint").isExecutable());

  // ZIP, RAR, 7z, tar.gz, ISO, CAB and self-extracting programs, by their usual names and aliases.
  const QStringList types = Value(text, "MimeType").split(';', Qt::SkipEmptyParts);
  for (const char* type : {"application/zip", "application/vnd.rar", "application/x-rar", "application/x-7z-compressed",
                           "application/x-compressed-tar", "application/x-cd-image", "application/vnd.ms-cab-compressed",
                           "application/x-ms-dos-executable"})
    EXPECT_TRUE(types.contains(type)) << type;
  EXPECT_EQ(Value(text, "Actions"), "Repack;");
  EXPECT_EQ(Value(text, "Name", "Desktop Action Repack"), "重新打包");
  EXPECT_EQ(Value(text, "Exec", "Desktop Action Repack"), program + " --start %F");
}

// What a file manager runs for 重新打包 over three selected archives, as a script does it: the
// action's command, closing when the run has ended, with the command line's exit status.
TEST(DesktopEntry, TheRepackActionRepacksTheSelectedArchives) {
  for (const char* tool : {"zip", "7z", "rar", "unzip"}) HM_REQUIRE_TOOL(tool);
  testsupport::TempDir dir;
  const QString home = dir.path();
  QFile::link(testsupport::EngineDir(), home + "/Engine");
  WriteFile(home + "/Data/Setting.ini", "[Setting]\r\nCompressExt=1\r\nOutputPath=" + home.toUtf8() + "/out\r\n");
  const QString tree = home + "/tree";
  WriteFile(tree + "/data.bin", testsupport::RandomBytes(20000));
  ASSERT_EQ(RunTool("zip", {"-qr", home + "/a.zip", "."}, tree).exitCode, 0);
  ASSERT_EQ(RunTool("7z", {"a", "-bd", home + "/b.7z", "."}, tree).exitCode, 0);
  ASSERT_EQ(RunTool("rar", {"a", "-idq", "-ep1", home + "/c.rar", tree + "/*"}).exitCode, 0);

  QStringList command = QProcess::splitCommand(
      Value(testsupport::ReadFile(testsupport::BinDir() + "/harrowmint.desktop"), "Exec", "Desktop Action Repack"));
  ASSERT_EQ(command.takeLast(), "%F");
  command << "--quit-when-done" << "--home" << home << home + "/a.zip" << home + "/b.7z" << home + "/c.rar";
  QProcess program;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  env.insert("HARROWMINT_MESSAGES", "stderr");
  program.setProcessEnvironment(env);
  program.start(command.takeFirst(), command);
  ASSERT_TRUE(program.waitForFinished(120000));
  EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().constData();
  for (const char* output : {"a.zip", "b.zip", "c.zip"})
    EXPECT_EQ(RunTool("unzip", {"-Z1", home + "/out/" + output}).out, "data.bin\n") << output;
}

}  // namespace
