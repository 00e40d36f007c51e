// The desktop entry the build writes: valid for desktop menus, starting this build's program
// with the files it is given, with an icon that is there.
#include <QFileInfo>

#include "support/TestSupport.h"

namespace {

// The value of key in the entry's text (a desktop entry is not quite an INI file for QSettings).
QString Value(const QByteArray& entry, const QByteArray& key) {
  for (const QByteArray& line : entry.split('\n'))
    if (line.startsWith(key + '=')) return QString::fromUtf8(line.mid(key.size() + 1));
  return {};
}

TEST(DesktopEntry, ValidAndPointingAtThisBuild) {
  HM_REQUIRE_TOOL("desktop-file-validate");
  const QString entry = testsupport::BinDir() + "/harrowmint.desktop";
  const testsupport::ToolRun check = testsupport::RunTool("desktop-file-validate", {entry});
  EXPECT_EQ(check.exitCode, 0) << check.out.constData() << check.err.constData();

  const QByteArray text = testsupport::ReadFile(entry);
  EXPECT_EQ(Value(text, "Exec"), "\"" + testsupport::BinDir() + "/harrowmint\" %F");
  EXPECT_TRUE(QFileInfo(Value(text, "Icon")).isFile());
  EXPECT_TRUE(QFileInfo(testsupport::BinDir() + "/harrowmint").isExecutable());
}

}  // namespace
