// The list of installed plug-ins and the version texts of their programs.
#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>

#include "compress/plugin/PluginFixture.h"
#include "compress/plugin/PluginList.h"
#include "compress/common/ProgramVersion.h"

using pluginfixture::PluginText;
using pluginfixture::TEngineFolder;

namespace {

TEST(ProgramVersion, FirstDottedNumberAsFourNumbers) {
  const std::pair<QByteArray, QString> cases[] = {
      {"7.01\n", "7.1.0.0"},
      {"bsdtar 3.6.2 - libarchive 3.6.2 zlib/1.2.13", "3.6.2.0"},
      {"\n7-Zip (z) 26.02 (x64) : Copyright (c) 1999-2026", "26.2.0.0"},
      {"tool 1.2.3.4.5", "1.2.3.4"},
      {"usage: tool [options]", "0.0.0.0"},
      {"", "0.0.0.0"},
  };
  for (const auto& [output, version] : cases)
    EXPECT_EQ(VersionTextFromOutput(output), version) << output.data();
}

TEST(PluginList, NamedPluginsWithTheirProgramsVersions) {
  TEngineFolder engine;
  testsupport::WriteFile(engine.file("ver"), "#!/bin/sh\n[ \"$1\" = --version ] && echo 'ver tool 4.5.6'\n");
  QFile::setPermissions(engine.file("ver"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  engine.WriteRecorder("rec");
  QByteArray asked = PluginText("Asked", "ver", "x");
  asked.replace("[cmd]\r\n", "[cmd]\r\nversion=--version\r\n");
  engine.WritePlugin("b.pk", asked);
  engine.WritePlugin("a.pk", PluginText("Plain", "rec", "x"));
  engine.WritePlugin("c.pk", PluginText("Missing", "nothere", "x"));
  engine.WritePlugin("d.pk", PluginText("", "rec", "x"));  // works, but is not listed
  testsupport::WriteFile(engine.file("e.txt"), PluginText("Not a plug-in", "rec", "x"));

  const QList<TPluginInfo> plugins = ListInstalledPlugins(engine.path());
  ASSERT_EQ(plugins.size(), 3);
  EXPECT_EQ(plugins[0].Caption(), "Plain(*.a)");
  EXPECT_EQ(plugins[0].program, engine.file("rec"));
  EXPECT_EQ(plugins[0].version, "0.0.0.0");  // no version record, and not asked
  EXPECT_EQ(plugins[1].Caption(), "Asked(*.b)");
  EXPECT_EQ(plugins[1].version, "4.5.6.0");
  EXPECT_EQ(plugins[2].Caption(), "Missing(*.c)");
  EXPECT_EQ(plugins[2].version, "");
  EXPECT_FALSE(engine.RecorderRan("rec"));  // listing never runs a program that was not asked
}

TEST(PluginList, ShippedPluginsAreListedWithVersions) {
  HM_REQUIRE_TOOL("bsdtar");
  HM_REQUIRE_TOOL("7zz");
  TEngineFolder engine;
  engine.InstallShippedTarAndIso();
  const QList<TPluginInfo> plugins = ListInstalledPlugins(engine.path());
  ASSERT_EQ(plugins.size(), 2);
  for (const TPluginInfo& plugin : plugins) {
    EXPECT_TRUE(QRegularExpression(R"(^[1-9]\d*\.\d+\.\d+\.\d+$)").match(plugin.version).hasMatch())
        << plugin.Caption().toStdString() << ": " << plugin.version.toStdString();
  }
  EXPECT_EQ(plugins[0].Caption(), "ISO(*.iso)");
  EXPECT_EQ(plugins[1].Caption(), "TAR(*.tar)");
}

TEST(PluginList, MissingFolderListsNothing) {
  EXPECT_TRUE(ListInstalledPlugins("/nonexistent/Engine/").isEmpty());
}

}  // namespace
