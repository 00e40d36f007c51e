// The engines an engine folder holds, as the command line's engine listing and the
// installed-engines window show them.
#include <gtest/gtest.h>

#include <QRegularExpression>

#include "compress/EngineList.h"
#include "compress/InstalledEngines.h"
#include "compress/FacadeFixture.h"

using pluginfixture::PluginText;
using pluginfixture::TEngineFolder;

namespace {

const QRegularExpression kFourNumbers(R"(^\d+\.\d+\.\d+\.\d+$)");

TEST(EngineList, BuiltEnginesTellTheirVersions) {
  HM_REQUIRE_ENGINE("rar");
  HM_REQUIRE_ENGINE("libunrar.so");
  HM_REQUIRE_ENGINE("7z.so");
  const QList<TEngineInfo> engines = ListEngines(testsupport::EngineDir());
  ASSERT_EQ(engines.size(), 3);
  for (const TEngineInfo& engine : engines) {
    SCOPED_TRACE(engine.name.toStdString());
    EXPECT_TRUE(engine.installed);
    EXPECT_TRUE(engine.usable) << engine.note.toStdString();
    if (engine.name != "libunrar.so") {
      EXPECT_TRUE(kFourNumbers.match(engine.version).hasMatch()) << engine.version.toStdString();
    }
  }
  EXPECT_EQ(engines[0].name, "rar");
  EXPECT_NE(engines[0].version, "0.0.0.0");
  // The same number the packer prints as its own version.
  const QByteArray iver = testsupport::RunTool(engines[0].path, {"-iver"}).out.trimmed();
  const QStringList parts = QString::fromLatin1(iver).split('.');
  EXPECT_EQ(engines[0].version,
            QStringLiteral("%1.%2.0.0").arg(parts.value(0).toInt()).arg(parts.value(1).toInt()));
  EXPECT_EQ(engines[1].name, "libunrar.so");
  // The library tells its interface's version only (RAR_DLL_VERSION, 8 or later): that shows, and
  // never a version of zeros.
  const QRegularExpressionMatch api = QRegularExpression(R"(^API (\d+)$)").match(engines[1].version);
  ASSERT_TRUE(api.hasMatch()) << engines[1].version.toStdString();
  EXPECT_GE(api.captured(1).toInt(), 8);
  EXPECT_EQ(engines[2].name, "7z.so");
  EXPECT_NE(engines[2].version, "0.0.0.0");
}

TEST(EngineList, MissingAndBrokenEngines) {
  TEngineFolder engine;
  for (const TEngineInfo& info : ListEngines(engine.path())) {
    EXPECT_FALSE(info.installed) << info.name.toStdString();
    EXPECT_FALSE(info.usable) << info.name.toStdString();
    EXPECT_EQ(info.version, "") << info.name.toStdString();
  }
  testsupport::WriteFile(engine.file("rar"), "not a program");
  testsupport::WriteFile(engine.file("libunrar.so"), "not a library");
  testsupport::WriteFile(engine.file("7z.so"), "not a library");
  for (const TEngineInfo& info : ListEngines(engine.path())) {
    EXPECT_TRUE(info.installed) << info.name.toStdString();
    EXPECT_FALSE(info.usable) << info.name.toStdString();
    EXPECT_FALSE(info.note.isEmpty()) << info.name.toStdString();
  }
}

// One verdict per row, engines first, then the named plug-ins by file name.
TEST(InstalledEngines, EnginesThenPluginsEachWithItsState) {
  TEngineFolder engine;
  testsupport::WriteFile(engine.file("7z.so"), "not a library");
  engine.WriteRecorder("tool");
  engine.WritePlugin("b.pk", PluginText("Present", "tool", "x"));
  engine.WritePlugin("a.pk", PluginText("Gone", "nothere", "x"));
  engine.WritePlugin("c.pk", PluginText("", "tool", "x"));  // no name: not listed

  const QList<TInstalledEngine> rows = ListInstalledEngines(engine.path());
  const struct {
    TInstalledEngine::TKind kind;
    TInstalledEngine::TState state;
    QString caption;
    QString program;
    QString version;
  } expected[] = {
      {TInstalledEngine::ekEngine, TInstalledEngine::esMissing, "rar", engine.file("rar"), ""},
      {TInstalledEngine::ekEngine, TInstalledEngine::esMissing, "libunrar.so", engine.file("libunrar.so"),
       ""},
      {TInstalledEngine::ekEngine, TInstalledEngine::esUnusable, "7z.so", engine.file("7z.so"), "0.0.0.0"},
      {TInstalledEngine::ekPlugin, TInstalledEngine::esMissing, "Gone(*.a)", engine.file("nothere"), ""},
      {TInstalledEngine::ekPlugin, TInstalledEngine::esReady, "Present(*.b)", engine.file("tool"), "0.0.0.0"},
  };
  ASSERT_EQ(rows.size(), std::size(expected));
  for (size_t i = 0; i < std::size(expected); ++i) {
    SCOPED_TRACE(expected[i].caption.toStdString());
    EXPECT_EQ(rows[i].kind, expected[i].kind);
    EXPECT_EQ(rows[i].state, expected[i].state);
    EXPECT_EQ(rows[i].caption, expected[i].caption);
    EXPECT_EQ(rows[i].program, expected[i].program);
    EXPECT_EQ(rows[i].version, expected[i].version);
  }
  EXPECT_FALSE(rows[2].note.isEmpty()) << "why the 7z library cannot be used";
}

}  // namespace
