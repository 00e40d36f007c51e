// The one-run overrides the command line and the window's password box share: only what is given
// replaces the stored setting, and an empty output password switches the password off.
#include <gtest/gtest.h>

#include "app/RunOverrides.h"

namespace {

TEST(RunOverrides, OnlyWhatIsGivenReplacesTheSettings) {
  TSettings stored;
  stored.CompressExt = ofRAR;
  stored.OutputFolder = QStringLiteral("<app>/out");
  stored.SetCompressPwd = true;
  stored.CompressPwd = QStringLiteral("stored");
  stored.UnCompressPwd = QStringLiteral("open");
  stored.Jobs = 3;

  const TSettings untouched = ApplyRunOverrides(stored, {});
  EXPECT_EQ(untouched.CompressExt, ofRAR);
  EXPECT_EQ(untouched.OutputFolder, stored.OutputFolder);
  EXPECT_TRUE(untouched.SetCompressPwd);
  EXPECT_EQ(untouched.CompressPwd, "stored");
  EXPECT_EQ(untouched.UnCompressPwd, "open");
  EXPECT_FALSE(untouched.PluginFormats);
  EXPECT_EQ(untouched.Jobs, 3);

  const TSettings all = ApplyRunOverrides(stored, {.format = of7z,
                                                   .outputFolder = QStringLiteral("/tmp/other"),
                                                   .password = QStringLiteral("pw"),
                                                   .unpackPassword = QString(),
                                                   .pluginFormats = true,
                                                   .jobs = 0});
  EXPECT_EQ(all.CompressExt, of7z);
  EXPECT_EQ(all.OutputFolder, "/tmp/other");
  EXPECT_TRUE(all.SetCompressPwd);
  EXPECT_EQ(all.CompressPwd, "pw");
  EXPECT_EQ(all.UnCompressPwd, "") << "an empty box is a password too: none";
  EXPECT_TRUE(all.PluginFormats);
  EXPECT_EQ(all.Jobs, 0) << "one per processor core, for this run";

  stored.PluginFormats = true;
  EXPECT_TRUE(ApplyRunOverrides(stored, {}).PluginFormats);
  TRunOverrides noPlugins;
  noPlugins.pluginFormats = false;
  EXPECT_FALSE(ApplyRunOverrides(stored, noPlugins).PluginFormats);

  const TSettings off = ApplyRunOverrides(stored, {.password = QString()});
  EXPECT_FALSE(off.SetCompressPwd);
  EXPECT_EQ(off.CompressPwd, "");
}

}  // namespace
