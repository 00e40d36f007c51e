// Format detection by signature, the support test and the engine folder of the facade.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <sys/stat.h>

#include "compress/plugin/PluginFixture.h"
#include "compress/vxCompress.h"

using pluginfixture::TEngineFolder;
using testsupport::TempDir;

namespace {

// Detection needs no engine folder.
QString GetFileRealExt(const QString& path) { return TvxCompress(QString()).GetFileRealExt(path); }

TEST(GetFileRealExt, FirstThreeBytesDecide) {
  struct Case {
    const char* name;
    QByteArray content;
    const char* expected;
  };
  const Case cases[] = {
      {"a.bin", "Rar!\x1a\x07", ".rar"},
      {"a.bin", "7z\xbc\xaf", ".7z"},
      {"a.bin", "PK\x03\x04", ".zip"},
      {"a.bin", "MZ\x90\x03", ".exe"},
      {"a.zip", "Rar!", ".rar"},  // content, not name
      {"a.rar", "Rar", ""},       // 3 bytes or less: nothing to tell
      {"a.rar", "Ra", ""},
      {"a.rar", "", ""},
      {"a.bin", "rar!", ""},  // byte-exact
      {"a.bin", "mZ\x90\x03", ""},
      {"a.bin", " Rar!", ""},    // only at offset 0
      {"a.bin", "7zXX", ".7z"},  // two bytes suffice for 7z, PK and MZ
      {"a.bin", "PKPK", ".zip"},
  };
  TempDir dir;
  for (const Case& c : cases) {
    const QString path = dir.file(c.name);
    testsupport::WriteFile(path, c.content);
    EXPECT_EQ(GetFileRealExt(path), c.expected) << c.name << " " << c.content.toHex().data();
  }
}

TEST(GetFileRealExt, WhatIsNoReadableFileIsNothing) {
  TempDir dir;
  testsupport::WriteFile(dir.file("real.rar"), "Rar!\x1a\x07\x01");
  QDir().mkpath(dir.file("folder.rar"));
  ASSERT_EQ(mkfifo(QFile::encodeName(dir.file("fifo.rar")).constData(), 0600), 0);  // would block a reader
  QFile::link(dir.file("real.rar"), dir.file("link.rar"));
  QFile::link(dir.file("gone.rar"), dir.file("dangling.rar"));

  EXPECT_EQ(GetFileRealExt(dir.file("missing.rar")), "");
  EXPECT_EQ(GetFileRealExt(dir.file("folder.rar")), "");
  EXPECT_EQ(GetFileRealExt(dir.file("fifo.rar")), "");
  EXPECT_EQ(GetFileRealExt(dir.file("dangling.rar")), "");
  EXPECT_EQ(GetFileRealExt(""), "");
  EXPECT_EQ(GetFileRealExt(dir.file("link.rar")), ".rar");
}

TEST(isSupportExt, BuiltInExtensionsOrAPluginFile) {
  TEngineFolder engine;
  engine.WritePlugin("cab.pk", "");  // exists: that is all it takes
  engine.WritePlugin("targz.pk", "");
  TvxCompress compress(engine.path());
  const std::pair<const char*, bool> cases[] = {
      {".zip", true},    {".rar", true},   {".7z", true},
      {".exe", true},    {".ZIP", false},   // case-sensitive, and no ZIP.pk
      {"zip", false},                       // the dot belongs to the extension
      {".cab", true},    {".c.a.b", true},  // every dot removed: cab.pk
      {".tar.gz", true}, {".iso", false},  {"", false},
  };
  for (const auto& [ext, supported] : cases) EXPECT_EQ(compress.isSupportExt(ext), supported) << ext;

  engine.WritePlugin(".pk", "");
  EXPECT_TRUE(compress.isSupportExt(""));
  QDir().mkpath(engine.file("iso.pk"));  // a folder is no plug-in file
  EXPECT_FALSE(compress.isSupportExt(".iso"));
}

TEST(EngineFolder, DefaultUnlessOverridden) {
  TEngineFolder engine;
  testsupport::WriteFile(engine.file("rar"), "");
  TvxCompress compress("/opt/harrowmint/Engine");
  EXPECT_EQ(compress.GetEngineFolder(), "/opt/harrowmint/Engine/");
  EXPECT_FALSE(compress.RarExeExists());

  compress.EngineFolder = engine.path().chopped(1);  // ends with '/' even when the override does not
  EXPECT_EQ(compress.GetEngineFolder(), engine.path());
  EXPECT_TRUE(compress.RarExeExists());
  EXPECT_TRUE(TvxCompress(engine.path()).RarExeExists());
}

}  // namespace
