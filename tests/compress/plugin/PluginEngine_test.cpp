// Extraction through plug-in files: which file is read, which program runs with which
// arguments, and the result codes for missing programs, templates and unexpected exit codes.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include "compress/plugin/PluginEngine.h"
#include "compress/plugin/PluginFile.h"
#include "compress/plugin/PluginFixture.h"

using pluginfixture::PluginText;
using pluginfixture::TEngineFolder;
using testsupport::TempDir;

namespace {

class PluginEngineTest : public testing::Test {
 protected:
  int Run(const QString& archive, const QString& dir) {
    TEngineContext context;
    context.engineFolder = engine.path();
    context.unCompressPwd = password;
    return TPluginEngine(context).UnCompressByPlugin(archive, dir);
  }

  TEngineFolder engine;
  TempDir work;
  QString password;
};

TEST_F(PluginEngineTest, RunsTheProgramOfTheArchivesOwnExtension) {
  engine.WriteRecorder("rec");
  engine.WritePlugin("cab.pk", PluginText("CAB", "rec", R"(x "{file}" "-o{dir}" -p{pwd})"));
  password = "pw";
  const QString archive = work.file("in.cab");

  EXPECT_EQ(Run(archive, work.file("out/")), crSuccess);
  // The destination loses one trailing separator.
  EXPECT_EQ(engine.RecordedArguments("rec"), QStringList({"x", archive, "-o" + work.file("out"), "-ppw"}));
}

TEST_F(PluginEngineTest, ResultCodes) {
  struct Case {
    const char* label;
    QByteArray plugin;  // cab.pk; empty: none
    int exitCode;
    int expected;
  };
  const Case cases[] = {
      {"no plug-in file", "", 0, crEngineLoadFailed},
      {"program missing", PluginText("CAB", "nothere", "x {file}"), 0, crEngineLoadFailed},
      {"no file key: the engine folder is no program", PluginText("CAB", "", "x {file}"), 0,
       crEngineLoadFailed},
      {"no template", PluginText("CAB", "rec", ""), 0, crFailed},
      {"ok absent: 0 is success", PluginText("CAB", "rec", "x"), 0, crSuccess},
      {"ok absent: 1 is failure", PluginText("CAB", "rec", "x"), 1, crFailed},
      {"ok = 1: 0 is failure", PluginText("CAB", "rec", "x", "1"), 0, crFailed},
      {"ok = 1: 1 is success", PluginText("CAB", "rec", "x", "1"), 1, crSuccess},
      {"ok in hexadecimal", PluginText("CAB", "rec", "x", "0x0A"), 10, crSuccess},
      {"ok with a dollar", PluginText("CAB", "rec", "x", "$0b"), 11, crSuccess},
      {"ok that is no number means 0", PluginText("CAB", "rec", "x", "yes"), 0, crSuccess},
      {"negative ok never matches", PluginText("CAB", "rec", "x", "-1"), 255, crFailed},
  };
  for (const Case& c : cases) {
    TEngineFolder folder;
    folder.WriteRecorder("rec", c.exitCode);
    if (!c.plugin.isEmpty()) folder.WritePlugin("cab.pk", c.plugin);
    TEngineContext context;
    context.engineFolder = folder.path();
    EXPECT_EQ(TPluginEngine(context).UnCompressByPlugin(work.file("a.cab"), work.path()), c.expected)
        << c.label;
  }
}

TEST_F(PluginEngineTest, ProgramThatCannotStartFailsEvenWhenOkExpectsMinusOne) {
  testsupport::WriteFile(engine.file("notexec"), "plain text, no execute bit");
  engine.WritePlugin("cab.pk", PluginText("CAB", "notexec", "x", "-1"));
  EXPECT_EQ(Run(work.file("a.cab"), work.path()), crFailed);
}

TEST_F(PluginEngineTest, PluginFileIsNamedByTheLastExtensionWithDotsRemoved) {
  engine.WriteRecorder("rec");
  engine.WritePlugin("gz.pk", PluginText("GZ", "rec", "gz {file}"));
  engine.WritePlugin("RAR.pk", PluginText("RAR", "rec", "upper {file}"));

  EXPECT_EQ(Run(work.file("a.tar.gz"), work.path()), crSuccess);
  EXPECT_EQ(engine.RecordedArguments("rec").value(0), "gz");
  EXPECT_EQ(Run(work.file("A.RAR"), work.path()), crSuccess);
  EXPECT_EQ(engine.RecordedArguments("rec").value(0), "upper");
  // A name without an extension has no plug-in file.
  EXPECT_EQ(Run(work.file("README"), work.path()), crEngineLoadFailed);
}

TEST_F(PluginEngineTest, UnreadablePluginFileReadsAsDefaults) {
  struct Case {
    const char* label;
    QByteArray content;
  };
  const Case cases[] = {
      // The literal is split where a hex escape would swallow the letter after it.
      {"binary junk", QByteArray("\x00\xff\xfe[info\x00" "file=rec", 17)},
      {"no sections", "file=rec\nuncompress=x\n"},
  };
  for (const Case& c : cases) {
    engine.WritePlugin("cab.pk", c.content);
    const TPluginFile plugin = TPluginFile::Read(engine.file("cab.pk"));
    EXPECT_TRUE(plugin.file.isEmpty()) << c.label;
    EXPECT_EQ(plugin.ok, 0) << c.label;
    EXPECT_EQ(plugin.useExternal, "0") << c.label;
  }
  // A folder where the file should be.
  QDir().mkpath(engine.file("iso.pk"));
  EXPECT_TRUE(TPluginFile::Read(engine.file("iso.pk")).uncompress.isEmpty());
  EXPECT_EQ(Run(work.file("a.iso"), work.path()), crEngineLoadFailed);
}

TEST(PluginFile, ReadsKeysWithoutRegardToCase) {
  TEngineFolder engine;
  engine.WritePlugin("x.pk",
                     "[INFO]\nName=Ex\nFILE=prog\nUseExternal=1\n[Cmd]\nUnCompress= a {file} \n"
                     "[RESULT]\nOK=0x10\n");
  const TPluginFile plugin = TPluginFile::Read(engine.file("x.pk"));
  EXPECT_EQ(plugin.name, "Ex");
  EXPECT_EQ(plugin.file, "prog");
  EXPECT_TRUE(plugin.TakesOverBuiltIn());
  EXPECT_EQ(plugin.uncompress, "a {file}");
  EXPECT_EQ(plugin.ok, 16);
}

TEST(PluginFile, Paths) {
  EXPECT_EQ(PluginFilePath("/e/", ".tar.gz"), "/e/targz.pk");
  EXPECT_EQ(PluginFilePath("/e/", ".ISO"), "/e/ISO.pk");
  EXPECT_EQ(PluginFilePath("/e/", ""), "/e/.pk");
}

TEST(PluginFile, MultiPartExtensionsLongestFirst) {
  const std::pair<const char*, QStringList> cases[] = {
      {"/in/a.tar.gz", {".tar.gz", ".gz"}},
      {"/in/v1.2/Game.v1.2.tar.gz", {".v1.2.tar.gz", ".2.tar.gz", ".tar.gz", ".gz"}},
      {"/in/disc.ISO", {".ISO"}},
      {"/in/.gz", {".gz"}},    // the name before the first dot is empty, the extension is not
      {"/in/a..gz", {".gz"}},  // an empty part ends the extension
      {"/in/a.tar.", {}},
      {"/in/README", {}},
      {"/in.d/README", {}},  // a dot in a folder is no extension
  };
  for (const auto& [path, extensions] : cases) EXPECT_EQ(MultiPartExtensions(path), extensions) << path;
}

// A plug-in for ".tar.gz" is chosen before the one for ".gz", and either stands alone.
TEST(PluginFile, FindPluginExtensionPrefersTheLongestExtension) {
  TEngineFolder engine;
  EXPECT_EQ(FindPluginExtension(engine.path(), "/in/a.tar.gz"), "");
  engine.WritePlugin("gz.pk", "");
  EXPECT_EQ(FindPluginExtension(engine.path(), "/in/a.tar.gz"), ".gz");
  engine.WritePlugin("targz.pk", "");
  EXPECT_EQ(FindPluginExtension(engine.path(), "/in/a.tar.gz"), ".tar.gz");
  EXPECT_EQ(FindPluginExtension(engine.path(), "/in/a.gz"), ".gz");
  QFile::remove(engine.file("gz.pk"));
  EXPECT_EQ(FindPluginExtension(engine.path(), "/in/a.gz"), "");
  EXPECT_EQ(FindPluginExtension(engine.path(), "/in/a.tar"), "");
  // A folder where the plug-in file belongs is none.
  QDir().mkpath(engine.file("iso.pk"));
  EXPECT_EQ(FindPluginExtension(engine.path(), "/in/a.iso"), "");
}

// The archive's path and the password reach the program as single arguments, so no name can
// run a command, whatever it holds.
TEST(PluginRun, HostileNamesAndPasswordsStayArguments) {
  HM_REQUIRE_TOOL("bsdtar");
  TEngineFolder engine;
  engine.CopyShippedPlugin("tar.pk");
  engine.LinkProgram("bsdtar", "bsdtar");
  TempDir work;
  testsupport::WriteFile(work.file("src/inner file.txt"), "content");
  const QString folder = work.file(R"(dir 'q' $(touch z))");
  const QString archive = folder + R"(/a b"; touch x; ".tar)";
  QDir().mkpath(folder);
  ASSERT_EQ(testsupport::RunTool("bsdtar", {"-cf", archive, "-C", work.file("src"), "."}).exitCode, 0);
  const QString out = work.file("out; touch y");
  QDir().mkpath(out);

  TEngineContext context;
  context.engineFolder = engine.path();
  context.unCompressPwd = R"(p"; touch w; ")";
  EXPECT_EQ(TPluginEngine(context).UnCompressByPlugin(archive, out + "/"), crSuccess);

  EXPECT_EQ(testsupport::ReadFile(out + "/inner file.txt"), "content");
  for (const QString& place : {engine.path(), work.path(), folder, out, QDir::currentPath()})
    for (const char* name : {"x", "y", "z", "w"})
      EXPECT_FALSE(QFileInfo::exists(place + '/' + name)) << place.toStdString() << '/' << name;
}

}  // namespace
