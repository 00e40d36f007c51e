#include "compress/common/EntryPath.h"

#include <QDir>
#include <QFile>

#include <unistd.h>

#include "support/TestSupport.h"

namespace {

struct EntryCase {
  const char* name;
  const char* expected;  // nullptr: refused
};

TEST(SafeEntryPath, KeepsNamesInsideTheDestination) {
  const EntryCase cases[] = {
      {"a.txt", "/d/a.txt"},
      {"sub/a.txt", "/d/sub/a.txt"},
      {"sub\\win\\a.txt", "/d/sub/win/a.txt"},
      {"/etc/passwd", "/d/etc/passwd"},
      {"\\\\server\\share\\x", "/d/server/share/x"},
      {"C:\\Windows\\x.dll", "/d/Windows/x.dll"},
      {"c:/x", "/d/x"},
      {"./a/./b", "/d/a/b"},
      {"dir/", "/d/dir"},
      {"名字/文件.txt", "/d/名字/文件.txt"},
      {"..", nullptr},
      {"../x", nullptr},
      {"a/../../x", nullptr},
      {"a\\..\\x", nullptr},
      {"", nullptr},
      {"/", nullptr},
      {"C:", nullptr},
      {"..hidden", "/d/..hidden"},
  };
  for (const auto& c : cases) {
    const auto got = SafeEntryPath("/d", QString::fromUtf8(c.name));
    if (c.expected == nullptr) {
      EXPECT_FALSE(got.has_value()) << c.name;
    } else {
      ASSERT_TRUE(got.has_value()) << c.name;
      EXPECT_EQ(*got, QString::fromUtf8(c.expected)) << c.name;
    }
  }
  EXPECT_EQ(SafeEntryPath("/d/", "a").value(), QString("/d/a"));
  // A NUL would cut the path short when it reaches the file system.
  for (const QString& name : {QStringLiteral("..") + QChar(0) + "x/", QStringLiteral("a") + QChar(0)})
    EXPECT_FALSE(SafeEntryPath("/d", name).has_value()) << name.toStdString();
}

TEST(SafeEntryPath, TellsPlainNamesFromRepairedOnes) {
  EXPECT_TRUE(IsPlainRelativeEntryName("a/b.txt"));
  EXPECT_TRUE(IsPlainRelativeEntryName("a\\b.txt"));
  EXPECT_FALSE(IsPlainRelativeEntryName("/a"));
  EXPECT_FALSE(IsPlainRelativeEntryName("C:\\a"));
  EXPECT_FALSE(IsPlainRelativeEntryName("a/../b"));
  EXPECT_FALSE(IsPlainRelativeEntryName(""));
}

TEST(RemoveEscapingLinks, RemovesOnlyLinksThatLeaveTheTree) {
  testsupport::TempDir outside;
  testsupport::WriteFile(outside.file("secret.txt"), "secret");
  testsupport::TempDir dest;
  testsupport::WriteFile(dest.file("in/file.txt"), "x");
  const auto link = [](const QString& target, const QString& at) {
    ASSERT_EQ(symlink(target.toUtf8().constData(), at.toUtf8().constData()), 0);
  };
  link(outside.file("secret.txt"), dest.file("abs-out"));
  link("../../" + QDir(outside.path()).dirName() + "/secret.txt", dest.file("in/rel-out"));
  link(outside.path(), dest.file("dir-out"));
  link("file.txt", dest.file("in/rel-in"));
  link(dest.file("in"), dest.file("abs-in"));
  link("missing", dest.file("dangling"));

  // A dangling link whose target name lies inside stays: nothing can be read through it.
  EXPECT_EQ(RemoveEscapingLinks(dest.path()), 3);
  EXPECT_EQ(testsupport::TreeListing(dest.path()),
            QStringList({"abs-in", "dangling", "in/", "in/file.txt", "in/rel-in"}));
  EXPECT_EQ(testsupport::ReadFile(outside.file("secret.txt")), QByteArray("secret"));
}

}  // namespace
