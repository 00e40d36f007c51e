#include "settings/Settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "settings/MachineKey.h"
#include "util/Base64.h"
#include "util/IniFile.h"
#include "util/TextHelpers.h"

#include <limits>

namespace {
const QString kSection = QStringLiteral("Setting");

class TSettingReader {
 public:
  explicit TSettingReader(const QString& path) : ini_(path) {}

  QString Text(const QString& key, const QString& defaultValue) const {
    return ini_.ReadString(kSection, key, defaultValue);
  }
  bool Flag(const QString& key, bool defaultValue) const {
    return FlagTextToBool(Text(key, BoolToFlagText(defaultValue)));
  }
  QString Base64(const QString& key) const { return Base64DecodeText(Text(key, {})); }
  // MiB as bytes; a value that is not a whole number of MiB the bytes can hold gives the default.
  quint64 MiB(const QString& key, quint64 defaultMiB) const {
    bool ok = false;
    const quint64 value = Text(key, {}).trimmed().toULongLong(&ok);
    return (ok && value <= std::numeric_limits<quint64>::max() / TExtractLimits::kMiB ? value : defaultMiB) *
           TExtractLimits::kMiB;
  }
  // Whole seconds, 0 or more; anything else gives the default.
  int Seconds(const QString& key, int defaultValue) const {
    bool ok = false;
    const int value = Text(key, {}).trimmed().toInt(&ok);
    return ok && value >= 0 ? value : defaultValue;
  }
  // Out of range or not a number: the default.
  int Index(const QString& key, int defaultValue, int last) const {
    const int value = ini_.ReadInteger(kSection, key, defaultValue);
    return (value < 0 || value > last) ? defaultValue : value;
  }

 private:
  TIniFile ini_;
};

// The settings file holds both passwords: readable by its owner only, also when it came from
// the seed folder or an older version with wider permissions. The data folder may not exist yet.
bool PrepareSettingsFile(const QString& path) {
  if (!QDir().mkpath(QFileInfo(path).absolutePath())) return false;
  if (QFileInfo::exists(path)) QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
  return true;
}
}  // namespace

TSettings LoadSettings(const TProgramPaths& paths) {
  const TSettingReader ini(paths.settingsFile());
  TSettings s;
  s.OutputFolder =
      ini.Text(QStringLiteral("OutputPath"), paths.programFolder() + QStringLiteral("OutputPath"));
  s.fileNameFormat = ini.Text(QStringLiteral("FileName"), QStringLiteral("<name>"));
  s.DelCompressVer = ini.Flag(QStringLiteral("DelVer"), false);
  s.LockRAR = ini.Flag(QStringLiteral("LockRAR"), true);
  s.DeleteAds = ini.Flag(QStringLiteral("DeleteAds"), true);
  s.DelRarFileName = ini.Flag(QStringLiteral("DelRarFileName"), true);
  s.MustToFolder = ini.Flag(QStringLiteral("MustToFolder"), false);
  s.SetCompressPwd = ini.Flag(QStringLiteral("SetCompressPwd"), false);
  s.RARToFrom = ini.Flag(QStringLiteral("RARToFrom"), false);
  s.CompressPwd = ini.Base64(QStringLiteral("CompressPwd"));
  s.UnCompressPwd = ini.Base64(QStringLiteral("UnCompressPwd"));
  s.NoCompressEXE = ini.Flag(QStringLiteral("NoCompressEXE"), false);
  s.InfoTip = ini.Flag(QStringLiteral("InfoTip"), true);
  s.CopyFolder = ini.Flag(QStringLiteral("CopyFolder"), true);
  s.PluginFormats = ini.Flag(QStringLiteral("PluginFormats"), false);
  s.KeepTime = ini.Flag(QStringLiteral("KeepTime"), false);

  const QString am = ini.Base64(QStringLiteral("am"));
  const QString pm = ini.Base64(QStringLiteral("pm"));
  if (!am.isEmpty()) s.ampm.am = am;
  if (!pm.isEmpty()) s.ampm.pm = pm;

  s.extractLimits.maxBytes = ini.MiB(QStringLiteral("MaxUnpackMB"), TExtractLimits::kDefaultMaxMiB);
  s.extractLimits.reserveBytes = ini.MiB(QStringLiteral("MinFreeMB"), TExtractLimits::kDefaultReserveMiB);
  s.MaxPasswordSeconds =
      ini.Seconds(QStringLiteral("MaxPasswordSeconds"), TSettings::kDefaultMaxPasswordSeconds);

  s.nameType = ini.Index(QStringLiteral("nameType"), ntBySourceName, ntBySourceName);
  s.CompressExt = ini.Index(QStringLiteral("CompressExt"), ofRAR, of7z);
  s.NestedDepth = ini.Index(QStringLiteral("NestedDepth"), 0, kMaxNestedDepth);
  s.TestOutput = ini.Index(QStringLiteral("TestOutput"), toWhenReplacing, toWhenReplacing);
  s.Jobs = ini.Index(QStringLiteral("Jobs"), 0, kMaxJobs);
  return s;
}

bool SaveSettings(const TProgramPaths& paths, const TSettings& s) {
  const QString path = paths.settingsFile();
  if (!PrepareSettingsFile(path)) return false;
  TIniFile ini(path);
  const auto text = [&ini](const char* key, const QString& value) {
    return ini.WriteString(kSection, QString::fromLatin1(key), value);
  };
  const auto number = [&ini](const char* key, int value) {
    return ini.WriteInteger(kSection, QString::fromLatin1(key), value);
  };
  const auto flag = [&text](const char* key, bool value) { return text(key, BoolToFlagText(value)); };
  const auto base64 = [&text](const char* key, const QString& value) {
    return text(key, Base64EncodeText(value));
  };

  return text("FileName", s.fileNameFormat) && number("nameType", s.nameType) &&
         number("CompressExt", s.CompressExt) && text("OutputPath", s.OutputFolder) &&
         flag("DelVer", s.DelCompressVer) && flag("LockRAR", s.LockRAR) && flag("DeleteAds", s.DeleteAds) &&
         flag("DelRarFileName", s.DelRarFileName) && flag("MustToFolder", s.MustToFolder) &&
         flag("SetCompressPwd", s.SetCompressPwd) && flag("RARToFrom", s.RARToFrom) &&
         base64("CompressPwd", s.CompressPwd) && base64("UnCompressPwd", s.UnCompressPwd) &&
         flag("NoCompressEXE", s.NoCompressEXE) && flag("InfoTip", s.InfoTip) &&
         flag("CopyFolder", s.CopyFolder) && flag("PluginFormats", s.PluginFormats) &&
         flag("KeepTime", s.KeepTime) && number("NestedDepth", s.NestedDepth) && number("Jobs", s.Jobs);
}

QString GetMachineValue(const TProgramPaths& paths, const QString& key) {
  return TIniFile(paths.settingsFile()).ReadString(MachineSectionName(MachineKey()), key, {});
}

bool SetMachineValue(const TProgramPaths& paths, const QString& key, const QString& value) {
  const QString path = paths.settingsFile();
  if (!PrepareSettingsFile(path)) return false;
  return TIniFile(path).WriteString(MachineSectionName(MachineKey()), key, value);
}
