// Where the program lives: the portable layout in one folder (the executable's or --home's), and
// the installed layout an executable in <prefix>/bin recognises, with the writable program folder
// in the user's data folder.
#include "util/ProgramPaths.h"

#include "support/TestSupport.h"

using testsupport::MakeDir;
using testsupport::TempDir;

namespace {

TEST(ProgramPaths, EveryFolderDerivesFromTheProgramFolder) {
  const TProgramPaths paths("/opt/hm");
  EXPECT_FALSE(paths.installed());
  EXPECT_TRUE(paths.updatableInPlace());
  EXPECT_EQ(paths.programFolder(), "/opt/hm/");
  EXPECT_EQ(paths.dataFolder(), "/opt/hm/Data/");
  EXPECT_EQ(paths.seedDataFolder(), "/opt/hm/SysDb/Data/");
  EXPECT_EQ(paths.settingsFile(), "/opt/hm/Data/Setting.ini");
  EXPECT_EQ(paths.databaseFile(), "/opt/hm/Data/data.db");
  EXPECT_EQ(paths.mustFilesFolder(), "/opt/hm/Data/MustFiles/");
  EXPECT_EQ(paths.tempRoot(), "/opt/hm/tmp/");
  EXPECT_EQ(paths.engineFolder(), "/opt/hm/Engine/");
  EXPECT_EQ(paths.translationsFolder(), "/opt/hm/translations/");

  QStringList args = {"prog", "--home", "/srv/x/", "a.rar"};
  EXPECT_EQ(TProgramPaths::FromArguments(args).programFolder(), "/srv/x/");
  EXPECT_EQ(args, QStringList({"prog", "a.rar"}));
  args = {"prog", "--home=/srv/y", "b.zip"};
  EXPECT_EQ(TProgramPaths::FromArguments(args).programFolder(), "/srv/y/");
  EXPECT_EQ(args, QStringList({"prog", "b.zip"}));
  args = {"prog"};
  EXPECT_EQ(TProgramPaths::FromArguments(args).programFolder(),
            TProgramPaths::FromExecutable().programFolder());
  // The build tree is portable.
  EXPECT_TRUE(TProgramPaths::FromExecutable().programFolder().endsWith("/tests/"));
  EXPECT_FALSE(TProgramPaths::FromExecutable().installed());
}

// Sets an environment variable for the life of the object (unsets it when value is null).
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const QByteArray& value)
      : name_(name), old_(qgetenv(name)), had_(qEnvironmentVariableIsSet(name)) {
    if (value.isNull())
      qunsetenv(name);
    else
      qputenv(name, value);
  }
  ~ScopedEnv() {
    if (had_)
      qputenv(name_, old_);
    else
      qunsetenv(name_);
  }

 private:
  const char* name_;
  QByteArray old_;
  bool had_;
};

TEST(ProgramPaths, AnExecutableBesideShareHarrowmintRunsInTheInstalledLayout) {
  TempDir prefix;
  MakeDir(prefix.file("bin"));
  MakeDir(prefix.file("share/harrowmint"));
  const QString home = prefix.file("home");
  const ScopedEnv homeEnv("HOME", home.toUtf8());

  struct Case {
    QByteArray xdgDataHome;  // null: unset
    QString programFolder;
  };
  const Case cases[] = {
      {prefix.file("data").toUtf8(), prefix.file("data/harrowmint/")},
      {QByteArray(), home + "/.local/share/harrowmint/"},
      {"relative/data", home + "/.local/share/harrowmint/"},  // not absolute: ignored
  };
  for (const Case& c : cases) {
    const ScopedEnv xdg("XDG_DATA_HOME", c.xdgDataHome);
    const TProgramPaths paths = TProgramPaths::ForExecutableFolder(prefix.file("bin"));
    SCOPED_TRACE(c.xdgDataHome.constData());
    EXPECT_TRUE(paths.installed());
    EXPECT_FALSE(paths.updatableInPlace());
    EXPECT_EQ(paths.programFolder(), c.programFolder);
    EXPECT_EQ(paths.dataFolder(), c.programFolder + "Data/");
    EXPECT_EQ(paths.tempRoot(), c.programFolder + "tmp/");
    EXPECT_EQ(paths.seedDataFolder(), prefix.file("share/harrowmint/SysDb/Data/"));
    EXPECT_EQ(paths.translationsFolder(), prefix.file("share/harrowmint/translations/"));
    EXPECT_EQ(paths.engineFolder(), prefix.file("lib/harrowmint/Engine/"));
  }

  // Without share/harrowmint beside it, the folder is a portable program folder.
  TempDir portable;
  MakeDir(portable.file("bin"));
  const TProgramPaths paths = TProgramPaths::ForExecutableFolder(portable.file("bin"));
  EXPECT_FALSE(paths.installed());
  EXPECT_EQ(paths.programFolder(), portable.file("bin/"));
  EXPECT_EQ(paths.engineFolder(), portable.file("bin/Engine/"));
}

}  // namespace
