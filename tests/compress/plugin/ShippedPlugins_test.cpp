// The plug-in files shipped in Engine/ extract real archives made by independent tools.
#include <gtest/gtest.h>

#include <QDate>
#include <QDir>
#include <QtEndian>

#include <functional>

#include "compress/plugin/PluginEngine.h"
#include "compress/plugin/PluginFile.h"
#include "compress/plugin/PluginFixture.h"

using pluginfixture::TEngineFolder;
using testsupport::TempDir;

namespace {

// A small tree with a nested folder, a space in a name and a non-ASCII name.
void WriteSourceTree(const QString& root) {
  testsupport::WriteFile(root + "/top.txt", "top\n");
  testsupport::WriteFile(root + "/sub dir/inner.txt", "inner content\n");
  testsupport::WriteFile(root + QString::fromUtf8("/sub dir/\xe4\xb8\xad\xe6\x96\x87.txt"), "cn\n");
}

template <class Int>
void Append(QByteArray& out, Int value) {
  const Int le = qToLittleEndian(value);
  out.append(reinterpret_cast<const char*>(&le), sizeof(le));
}

// A Microsoft cabinet with one uncompressed folder, as small as the format allows: no tool on
// Debian writes cabinets, and 7-Zip reads this layout as any cabinet maker writes it.
QByteArray StoredCabinet(const QList<std::pair<QByteArray, QByteArray>>& files) {
  QByteArray entries, data;
  const quint16 dosDate = ((2024 - 1980) << 9) | (5 << 5) | 17;
  const quint16 dosTime = (12 << 11) | (30 << 5);
  for (const auto& [name, content] : files) {
    Append<quint32>(entries, content.size());
    Append<quint32>(entries, data.size());
    Append<quint16>(entries, 0);  // folder 0
    Append<quint16>(entries, dosDate);
    Append<quint16>(entries, dosTime);
    Append<quint16>(entries, 0x20);  // archive
    entries += name + '\0';
    data += content;
  }
  const quint32 headerSize = 36, folderSize = 8;
  const quint32 dataOffset = headerSize + folderSize + entries.size();
  QByteArray cab = "MSCF";
  Append<quint32>(cab, 0);
  Append<quint32>(cab, dataOffset + 8 + data.size());
  Append<quint32>(cab, 0);
  Append<quint32>(cab, headerSize + folderSize);
  Append<quint32>(cab, 0);
  cab += char(3);  // version 1.3
  cab += char(1);
  Append<quint16>(cab, 1);  // folders
  Append<quint16>(cab, files.size());
  Append<quint16>(cab, 0);  // flags
  Append<quint16>(cab, 0);  // set id
  Append<quint16>(cab, 0);  // cabinet number
  Append<quint32>(cab, dataOffset);
  Append<quint16>(cab, 1);  // data blocks
  Append<quint16>(cab, 0);  // no compression
  cab += entries;
  Append<quint32>(cab, 0);  // no checksum
  Append<quint16>(cab, data.size());
  Append<quint16>(cab, data.size());
  cab += data;
  return cab;
}

struct ShippedCase {
  const char* plugin;
  const char* program;  // linked into the engine folder under this name
  const char* tool;     // needed to make the archive
  const char* archive;
  std::function<int(const QString& source, const QString& archive)> make;
};

int Bsdtar(const QStringList& options, const QString& source, const QString& archive) {
  return testsupport::RunTool("bsdtar", options + QStringList{"-f", archive, "-C", source, "."}).exitCode;
}

TEST(ShippedPlugins, ExtractArchivesMadeByIndependentTools) {
  const ShippedCase cases[] = {
      {"tar.pk", "bsdtar", "bsdtar", "a.tar", [](auto& s, auto& a) { return Bsdtar({"-c"}, s, a); }},
      {"tgz.pk", "bsdtar", "bsdtar", "a.tgz", [](auto& s, auto& a) { return Bsdtar({"-cz"}, s, a); }},
      {"targz.pk", "bsdtar", "bsdtar", "a.tar.gz", [](auto& s, auto& a) { return Bsdtar({"-cz"}, s, a); }},
      {"iso.pk", "7zz", "bsdtar", "a.iso",
       [](auto& s, auto& a) {
         return Bsdtar({"-c", "--format", "iso9660"}, s, a);
       }},
  };
  for (const ShippedCase& c : cases) {
    SCOPED_TRACE(c.plugin);
    HM_REQUIRE_TOOL(c.program);
    HM_REQUIRE_TOOL(c.tool);
    TEngineFolder engine;
    engine.InstallShipped(c.plugin, c.program);
    TempDir work;
    WriteSourceTree(work.file("src"));
    const QString archive = work.file(QString("my archives/") + c.archive);
    QDir().mkpath(work.file("my archives"));
    ASSERT_EQ(c.make(work.file("src"), archive), 0);
    QDir().mkpath(work.file("out dir"));

    TEngineContext context;
    context.engineFolder = engine.path();
    const QString extension = FindPluginExtension(engine.path(), archive);
    EXPECT_EQ(PluginFilePath(engine.path(), extension), engine.file(c.plugin));
    EXPECT_EQ(TPluginEngine(context).UnCompressByPlugin(archive, work.file("out dir"), extension), crSuccess);
    EXPECT_EQ(testsupport::TreeListing(work.file("out dir")), testsupport::TreeListing(work.file("src")));
    EXPECT_EQ(testsupport::ReadFile(work.file("out dir/sub dir/inner.txt")), "inner content\n");
  }
}

TEST(ShippedPlugins, CabinetThroughSevenZip) {
  HM_REQUIRE_TOOL("7zz");
  TEngineFolder engine;
  engine.CopyShippedPlugin("cab.pk");
  engine.LinkProgram("7zz", "7zz");
  TempDir work;
  testsupport::WriteFile(work.file("setup.cab"),
                         StoredCabinet({{"readme.txt", "read me\r\n"}, {"bin\\tool.dat", "0123456789"}}));

  TEngineContext context;
  context.engineFolder = engine.path();
  EXPECT_EQ(TPluginEngine(context).UnCompressByPlugin(work.file("setup.cab"), work.file("out")), crSuccess);
  EXPECT_EQ(testsupport::ReadFile(work.file("out/readme.txt")), "read me\r\n");
  EXPECT_EQ(testsupport::ReadFile(work.file("out/bin/tool.dat")), "0123456789");
}

// gz.pk opens any gzip file, which bsdtar (an archive reader) refuses unless it holds a tar: a
// plain one gives its file, a .tar.gz its .tar (targz.pk unpacks that one).
TEST(ShippedPlugins, GzipFilesThroughSevenZip) {
  HM_REQUIRE_TOOL("7zz");
  HM_REQUIRE_TOOL("gzip");
  HM_REQUIRE_TOOL("bsdtar");
  TEngineFolder engine;
  engine.InstallShipped("gz.pk", "7zz");
  TempDir work;
  testsupport::WriteFile(work.file("notes.txt"), "plain notes\n");
  ASSERT_EQ(testsupport::RunTool("gzip", {"-k", work.file("notes.txt")}).exitCode, 0);
  WriteSourceTree(work.file("src"));
  ASSERT_EQ(Bsdtar({"-cz"}, work.file("src"), work.file("a.tar.gz")), 0);

  TEngineContext context;
  context.engineFolder = engine.path();
  EXPECT_EQ(TPluginEngine(context).UnCompressByPlugin(work.file("notes.txt.gz"), work.file("plain")),
            crSuccess);
  EXPECT_EQ(testsupport::TreeListing(work.file("plain")), QStringList({"notes.txt"}));
  EXPECT_EQ(testsupport::ReadFile(work.file("plain/notes.txt")), "plain notes\n");
  EXPECT_EQ(TPluginEngine(context).UnCompressByPlugin(work.file("a.tar.gz"), work.file("tar")), crSuccess);
  EXPECT_EQ(testsupport::TreeListing(work.file("tar")), QStringList({"a.tar"}));
}

TEST(ShippedPlugins, CorruptArchiveFails) {
  HM_REQUIRE_TOOL("bsdtar");
  HM_REQUIRE_TOOL("7zz");
  TEngineFolder engine;
  engine.InstallShippedTarAndIso();
  TempDir work;
  QDir().mkpath(work.file("out"));
  TEngineContext context;
  context.engineFolder = engine.path();
  for (const char* name : {"junk.tar", "junk.iso"}) {
    testsupport::WriteFile(work.file(name), QByteArray(4096, 'j'));
    EXPECT_EQ(TPluginEngine(context).UnCompressByPlugin(work.file(name), work.file("out")), crFailed) << name;
  }
}

// The build lays out Engine/ with every shipped plug-in file and a link to the program it names,
// so a fresh build extracts these formats with nothing set up by hand.
TEST(ShippedPlugins, BuildEngineFolderRunsThem) {
  const QStringList shipped =
      QDir(testsupport::SourceDir() + "/Engine").entryList({"*.pk"}, QDir::Files, QDir::Name);
  ASSERT_FALSE(shipped.isEmpty());
  for (const QString& name : shipped) {
    SCOPED_TRACE(name.toStdString());
    const QString built = testsupport::EngineDir() + "/" + name;
    ASSERT_TRUE(QFileInfo::exists(built));
    const TPluginFile plugin = TPluginFile::Read(built);
    const QByteArray tool = plugin.file.toUtf8();
    HM_REQUIRE_TOOL(tool.constData());
    HM_REQUIRE_ENGINE(qPrintable(plugin.file));
  }
  HM_REQUIRE_TOOL("bsdtar");
  TempDir work;
  WriteSourceTree(work.file("src"));
  ASSERT_EQ(Bsdtar({"-c"}, work.file("src"), work.file("a.tar")), 0);
  TEngineContext context;
  context.engineFolder = testsupport::EngineDir() + "/";
  QDir().mkpath(work.file("out"));
  EXPECT_EQ(TPluginEngine(context).UnCompressByPlugin(work.file("a.tar"), work.file("out")), crSuccess);
  EXPECT_EQ(testsupport::TreeListing(work.file("out")), testsupport::TreeListing(work.file("src")));
}

}  // namespace
