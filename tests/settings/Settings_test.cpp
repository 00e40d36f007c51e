// Setting.ini: defaults, value forms, clamps, the writer's keys and order, the first-run flags.
#include <QFile>
#include <QRegularExpression>

#include "settings/MachineKey.h"
#include "settings/Settings.h"
#include "support/TestSupport.h"
#include "util/Base64.h"

using testsupport::TempDir;

void PrintTo(const TSettings& s, std::ostream* os) {
  *os << "{" << s.OutputFolder.toStdString() << " | " << s.fileNameFormat.toStdString() << " | " << s.nameType
      << s.CompressExt << " | " << s.DelCompressVer << s.LockRAR << s.DeleteAds << s.DelRarFileName
      << s.MustToFolder << s.SetCompressPwd << s.NoCompressEXE << s.RARToFrom << s.InfoTip << s.CopyFolder
      << s.PluginFormats << s.KeepTime << " | " << s.NestedDepth << s.TestOutput << " | " << s.Jobs << " | "
      << s.CompressPwd.toStdString() << " | "
      << s.UnCompressPwd.toStdString() << " | " << s.ampm.am.toStdString() << "/" << s.ampm.pm.toStdString()
      << "}";
}

namespace {
// A program folder with a Setting.ini of the given content (none when content is null).
struct TInstall {
  explicit TInstall(const QByteArray& settingsContent = {}) : paths(dir.path()) {
    if (!settingsContent.isNull()) testsupport::WriteFile(paths.settingsFile(), settingsContent);
  }
  TSettings Load() const { return LoadSettings(paths); }

  TempDir dir;
  TProgramPaths paths;
};

TSettings Defaults(const TProgramPaths& paths) {
  TSettings s;
  s.OutputFolder = paths.programFolder() + QStringLiteral("OutputPath");
  return s;
}

QByteArray SettingLine(const QByteArray& key, const QByteArray& value) {
  return "[Setting]\r\n" + key + "=" + value + "\r\n";
}

QFileDevice::Permissions OwnerOnly() { return QFileDevice::ReadOwner | QFileDevice::WriteOwner; }

QFileDevice::Permissions PermissionsOf(const QString& path) {
  return QFile::permissions(path) & ~(QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser);
}
}  // namespace

TEST(LoadSettings, MissingOrDamagedFilesGiveTheDefaults) {
  QByteArray binary;
  for (int i = 0; i < 4096; ++i) binary.append(char((i * 131) % 256));
  const struct {
    const char* what;
    QByteArray content;
  } cases[] = {
      {"no file", QByteArray()},
      {"empty file", QByteArray("")},
      {"other section only", "[Other]\r\nLockRAR=0\r\nnameType=0\r\n"},
      {"binary", binary},
      {"utf-16 without a section", QByteArray("\xff\xfe=\0=\0[\0", 8)},
  };
  for (const auto& c : cases) {
    TInstall install(c.content);
    EXPECT_EQ(install.Load(), Defaults(install.paths)) << c.what;
  }
  // The defaults themselves: name by source, RAR, lock, clean, rename inside, tips, copy folders.
  const TSettings d = Defaults(TProgramPaths(QStringLiteral("/opt/hm")));
  EXPECT_EQ(d.OutputFolder, QStringLiteral("/opt/hm/OutputPath"));
  EXPECT_EQ(d.fileNameFormat, QStringLiteral("<name>"));
  EXPECT_EQ(d.nameType, 1);
  EXPECT_EQ(d.CompressExt, 0);
  EXPECT_EQ(d.Jobs, 0) << "one item per processor core";
  EXPECT_TRUE(d.LockRAR && d.DeleteAds && d.DelRarFileName && d.InfoTip && d.CopyFolder);
  EXPECT_FALSE(d.DelCompressVer || d.MustToFolder || d.SetCompressPwd || d.NoCompressEXE || d.RARToFrom ||
               d.PluginFormats || d.KeepTime);
  EXPECT_EQ(d.ampm, (TAmPmTexts{QStringLiteral("01"), QStringLiteral("02")}));
}

TEST(LoadSettings, OnlyExactlyOneIsTrue) {
  const struct {
    QByteArray stored;
    bool expected;
  } cases[] = {
      {"1", true},   {"  1  ", true},  // spaces around a value are not part of it
      {"0", false},  {"true", false}, {"yes", false}, {"", false},
      {"01", false}, {"1 x", false},  {"-1", false},
  };
  for (const auto& c : cases) {
    // LockRAR defaults to true, DelVer to false: a stored value decides either way.
    TInstall install("[Setting]\r\nLockRAR=" + c.stored + "\r\nDelVer=" + c.stored +
                     "\r\nPluginFormats=" + c.stored + "\r\nKeepTime=" + c.stored + "\r\n");
    const TSettings s = install.Load();
    EXPECT_EQ(s.LockRAR, c.expected) << c.stored.constData();
    EXPECT_EQ(s.DelCompressVer, c.expected) << c.stored.constData();
    EXPECT_EQ(s.PluginFormats, c.expected) << c.stored.constData();
    EXPECT_EQ(s.KeepTime, c.expected) << c.stored.constData();
  }
}

TEST(LoadSettings, NumbersOutOfRangeOrUnreadableGiveTheDefault) {
  const struct {
    QByteArray stored;
    int nameType;
    int compressExt;
    int jobs;
  } cases[] = {
      {"0", 0, 0, 0},   {"1", 1, 1, 1}, {"2", 1, 2, 2},   {"5", 1, 0, 5},           {"-1", 1, 0, 0},
      {"abc", 1, 0, 0}, {"", 1, 0, 0},  {"1.5", 1, 0, 0}, {"99999999999", 1, 0, 0}, {" 2", 1, 2, 2},
      {"64", 1, 0, 64}, {"65", 1, 0, 0},
  };
  for (const auto& c : cases) {
    TInstall install("[Setting]\r\nnameType=" + c.stored + "\r\nCompressExt=" + c.stored +
                     "\r\nJobs=" + c.stored + "\r\n");
    const TSettings s = install.Load();
    EXPECT_EQ(s.nameType, c.nameType) << c.stored.constData();
    EXPECT_EQ(s.CompressExt, c.compressExt) << c.stored.constData();
    EXPECT_EQ(s.Jobs, c.jobs) << c.stored.constData();
  }
}

// NestedDepth opens up to three levels; TestOutput, edited by hand, is one of three choices. A
// value out of range is the default, never a deeper or a weaker setting.
TEST(LoadSettings, NestedDepthAndTestOutputTakeTheirRangeOnly) {
  const struct {
    QByteArray stored;
    int nestedDepth;
    int testOutput;
  } cases[] = {
      {"", 0, toWhenReplacing}, {"0", 0, toDirectoryOnly}, {"1", 1, toAlways}, {"2", 2, toWhenReplacing},
      {"3", 3, toWhenReplacing}, {"4", 0, toWhenReplacing}, {"-1", 0, toWhenReplacing}, {"two", 0, toWhenReplacing},
  };
  for (const auto& c : cases) {
    TInstall install("[Setting]\r\nNestedDepth=" + c.stored + "\r\nTestOutput=" + c.stored + "\r\n");
    const TSettings s = install.Load();
    EXPECT_EQ(s.NestedDepth, c.nestedDepth) << c.stored.constData();
    EXPECT_EQ(s.TestOutput, c.testOutput) << c.stored.constData();
  }
}

// The extraction limits (in MiB) and the password time (in seconds) are hand-edited keys; 0 lifts
// one, anything unreadable keeps the default.
TEST(LoadSettings, HandEditedLimitsWithTheDefaultForAnythingElse) {
  constexpr quint64 kMiB = TExtractLimits::kMiB;
  const quint64 maxDefault = TExtractLimits::kDefaultMaxMiB * kMiB;
  const quint64 reserveDefault = TExtractLimits::kDefaultReserveMiB * kMiB;
  const int secondsDefault = TSettings::kDefaultMaxPasswordSeconds;
  const struct {
    QByteArray stored;
    quint64 maxBytes;
    quint64 reserveBytes;
    int seconds;
  } cases[] = {
      {"", maxDefault, reserveDefault, secondsDefault},
      {"100", 100 * kMiB, 100 * kMiB, 100},
      {"0", 0, 0, 0},
      {"-5", maxDefault, reserveDefault, secondsDefault},
      {"12MB", maxDefault, reserveDefault, secondsDefault},
      {"1.5", maxDefault, reserveDefault, secondsDefault},
      {"99999999999999999999", maxDefault, reserveDefault, secondsDefault},
  };
  for (const auto& c : cases) {
    TInstall install("[Setting]\r\nMaxUnpackMB=" + c.stored + "\r\nMinFreeMB=" + c.stored +
                     "\r\nMaxPasswordSeconds=" + c.stored + "\r\n");
    const TSettings s = install.Load();
    EXPECT_EQ(s.extractLimits.maxBytes, c.maxBytes) << c.stored.constData();
    EXPECT_EQ(s.extractLimits.reserveBytes, c.reserveBytes) << c.stored.constData();
    EXPECT_EQ(s.MaxPasswordSeconds, c.seconds) << c.stored.constData();
  }
  EXPECT_EQ(TInstall().Load().extractLimits, TExtractLimits());
  EXPECT_EQ(TInstall().Load().MaxPasswordSeconds, secondsDefault);
}

TEST(LoadSettings, Base64ValuesAndTheAmPmTexts) {
  const QByteArray am = Base64EncodeText(QStringLiteral("上午")).toLatin1();
  const struct {
    QByteArray lines;
    QString password;
    TAmPmTexts ampm;
  } cases[] = {
      {"CompressPwd=" + Base64EncodeText(QStringLiteral("it's 密码")).toLatin1(),
       QStringLiteral("it's 密码"),
       {}},
      {"CompressPwd=", QString(), {}},
      {"CompressPwd=!!not base64!!", QString(), {}},
      {"am=" + am, QString(), {QStringLiteral("上午"), QStringLiteral("02")}},
      {"am=" + am + "\r\npm=" + am, QString(), {QStringLiteral("上午"), QStringLiteral("上午")}},
      {"am=\r\npm=%%%", QString(), {}},
  };
  for (const auto& c : cases) {
    TInstall install("[Setting]\r\n" + c.lines + "\r\n");
    const TSettings s = install.Load();
    EXPECT_EQ(s.CompressPwd, c.password) << c.lines.constData();
    EXPECT_EQ(s.ampm, c.ampm) << c.lines.constData();
  }
}

TEST(SaveSettings, WritesEveryKeyInOrderAndReadsBack) {
  TInstall install(SettingLine("am", Base64EncodeText(QStringLiteral("AM")).toLatin1()) +
                   "[M0000000000000000013]\r\nRun=1\r\n");
  TSettings s = Defaults(install.paths);
  s.OutputFolder = QStringLiteral("<app>/out/<yyyy>");
  s.fileNameFormat = QStringLiteral("[site] <name>_<MM>");
  s.nameType = 0;
  s.CompressExt = 2;
  s.DelCompressVer = s.MustToFolder = s.SetCompressPwd = s.NoCompressEXE = s.RARToFrom = s.PluginFormats =
      true;
  s.LockRAR = s.DeleteAds = s.DelRarFileName = s.InfoTip = s.CopyFolder = false;
  s.KeepTime = true;
  s.NestedDepth = 2;
  s.Jobs = 3;
  s.CompressPwd = QStringLiteral("压缩 it's");
  s.UnCompressPwd = QStringLiteral("x=y;z");
  ASSERT_TRUE(SaveSettings(install.paths, s));

  TSettings expected = s;
  expected.ampm.am = QStringLiteral("AM");  // kept in the file, never written
  EXPECT_EQ(install.Load(), expected);

  const QString text = QString::fromLatin1(testsupport::ReadFile(install.paths.settingsFile()));
  QStringList keys;
  const QRegularExpression keyLine(QStringLiteral("^([A-Za-z]+)=(.*)$"), QRegularExpression::MultilineOption);
  for (auto it = keyLine.globalMatch(text); it.hasNext();) keys << it.next().captured(1);
  EXPECT_EQ(keys, (QStringList{"am", "FileName", "nameType", "CompressExt", "OutputPath", "DelVer", "LockRAR",
                               "DeleteAds", "DelRarFileName", "MustToFolder", "SetCompressPwd", "RARToFrom",
                               "CompressPwd", "UnCompressPwd", "NoCompressEXE", "InfoTip", "CopyFolder",
                               "PluginFormats", "KeepTime", "NestedDepth", "Jobs", "Run"}));
  EXPECT_TRUE(text.contains(QStringLiteral("\r\nnameType=0\r\n")));
  EXPECT_TRUE(text.contains(QStringLiteral("\r\nLockRAR=0\r\nDeleteAds=0\r\n")));
  EXPECT_TRUE(text.contains(QStringLiteral("\r\nUnCompressPwd=eD15O3o=\r\n")));
}

TEST(SaveSettings, PasswordsOutsideTheCodePageLoseOnlyThoseCharacters) {
  TInstall install;
  TSettings s = Defaults(install.paths);
  s.CompressPwd = QStringLiteral("密码ش1");
  s.UnCompressPwd = QString();
  ASSERT_TRUE(SaveSettings(install.paths, s));
  EXPECT_EQ(install.Load().CompressPwd, QStringLiteral("密码?1"));
  EXPECT_EQ(install.Load().UnCompressPwd, QString());
  EXPECT_TRUE(testsupport::ReadFile(install.paths.settingsFile()).contains("\r\nUnCompressPwd=\r\n"));
}

TEST(SaveSettings, FileIsReadableByItsOwnerOnly) {
  TInstall fresh;  // no data folder yet: made by the first write
  ASSERT_TRUE(SaveSettings(fresh.paths, Defaults(fresh.paths)));
  EXPECT_EQ(PermissionsOf(fresh.paths.settingsFile()), OwnerOnly());

  TInstall seeded(SettingLine("LockRAR", "1"));  // e.g. copied from the seed folder
  QFile::setPermissions(seeded.paths.settingsFile(),
                        OwnerOnly() | QFileDevice::ReadGroup | QFileDevice::ReadOther);
  ASSERT_TRUE(SaveSettings(seeded.paths, Defaults(seeded.paths)));
  EXPECT_EQ(PermissionsOf(seeded.paths.settingsFile()), OwnerOnly());

  TInstall flags;
  ASSERT_TRUE(SetMachineValue(flags.paths, QStringLiteral("Run"), QStringLiteral("1")));
  EXPECT_EQ(PermissionsOf(flags.paths.settingsFile()), OwnerOnly());
}

TEST(SaveSettings, UnwritableFileIsReported) {
  TInstall install;
  testsupport::MakeDir(install.paths.settingsFile());  // a folder where the file belongs
  EXPECT_FALSE(SaveSettings(install.paths, Defaults(install.paths)));
  EXPECT_FALSE(SetMachineValue(install.paths, QStringLiteral("Run"), QStringLiteral("1")));
  EXPECT_EQ(install.Load(), Defaults(install.paths));
}

TEST(MachineValues, LiveInThisComputersSection) {
  const QString key = MachineKey();
  EXPECT_EQ(MachineKey(), key);
  EXPECT_TRUE(QRegularExpression(QStringLiteral("^[0-9A-F]{16}$")).match(key).hasMatch())
      << key.toStdString();
  EXPECT_EQ(MachineSectionName(QStringLiteral("AB")), QStringLiteral("MAB13"));

  TInstall install("[M" + key.toLatin1() + "13]\r\nPack=1\r\n" + "[MOTHERCOMPUTER13]\r\nRun=1\r\n");
  EXPECT_EQ(GetMachineValue(install.paths, QStringLiteral("Pack")), QStringLiteral("1"));
  EXPECT_EQ(GetMachineValue(install.paths, QStringLiteral("Run")), QString());  // another computer's flag

  ASSERT_TRUE(SetMachineValue(install.paths, QStringLiteral("Run"), QStringLiteral("1")));
  EXPECT_EQ(GetMachineValue(install.paths, QStringLiteral("Run")), QStringLiteral("1"));
  const QByteArray file = testsupport::ReadFile(install.paths.settingsFile());
  EXPECT_TRUE(file.contains("[M" + key.toLatin1() + "13]\r\nPack=1\r\nRun=1\r\n")) << file.constData();
  EXPECT_TRUE(file.contains("[MOTHERCOMPUTER13]\r\nRun=1\r\n"));
}
