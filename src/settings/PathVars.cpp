#include "settings/PathVars.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

#include "util/FileOps.h"
#include "util/PathSeparators.h"
#include "util/TextHelpers.h"

namespace {
QString TwoDigits(int value) { return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0')); }

// A "<variable>" still in the text was misspelt or not meant for the folder (such as "<app>"
// without its slash): creating a folder of that name would hide the mistake. Every other
// character is the file system's to accept or refuse.
bool HoldsUnreplacedVariable(const QString& path) {
  static const QRegularExpression variable(QStringLiteral("<[A-Za-z]+>"));
  return variable.match(path).hasMatch();
}
}  // namespace

QString ReplaceTimeVars(const QString& text, const TAmPmTexts& ampm, const QDateTime& now,
                        const QLocale& locale) {
  if (!text.contains(QLatin1Char('<'))) return text;
  const QDate date = now.date();
  const int hour = now.time().hour();
  QString result = text;
  result.replace(QStringLiteral("<yyyy>"), QStringLiteral("%1").arg(date.year(), 4, 10, QLatin1Char('0')));
  result.replace(QStringLiteral("<yy>"), TwoDigits(date.year() % 100));
  result.replace(QStringLiteral("<MM>"), TwoDigits(date.month()));
  result.replace(QStringLiteral("<M>"), QString::number(date.month()));
  result.replace(QStringLiteral("<dd>"), TwoDigits(date.day()));
  result.replace(QStringLiteral("<d>"), QString::number(date.day()));
  result.replace(QStringLiteral("<dddd>"), locale.dayName(date.dayOfWeek(), QLocale::LongFormat));
  result.replace(QStringLiteral("<HH>"), TwoDigits(hour));
  result.replace(QStringLiteral("<H>"), QString::number(hour));
  result.replace(QStringLiteral("<ap>"), hour <= 12 ? ampm.am : ampm.pm);
  return result;
}

QString ReplaceTimeVars(const QString& text, const TAmPmTexts& ampm) {
  return ReplaceTimeVars(text, ampm, QDateTime::currentDateTime());
}

bool IsValidNameTemplate(const QString& fileNameFormat, const TAmPmTexts& ampm, const QDateTime& now) {
  QString name = ReplaceTimeVars(fileNameFormat, ampm, now);
  name.replace(QStringLiteral("<name>"), QStringLiteral("1"));
  return IsValidFileName(name);
}

QString GetOutputExt(int index) {
  switch (index) {
    case 1:
      return QStringLiteral(".zip");
    case 2:
      return QStringLiteral(".7z");
    default:
      return QStringLiteral(".rar");
  }
}

QString GetDateRandomName(const QDateTime& now, int randomValue) {
  return now.toString(QStringLiteral("yyyyMMddHHmmss")) + QString::number(randomValue);
}

QString GetDateRandomName() {
  return GetDateRandomName(QDateTime::currentDateTime(), int(QRandomGenerator::global()->bounded(1000)));
}

QString ExpandOutputFolder(const QString& outputFolder, const QString& programFolder, const TAmPmTexts& ampm,
                           const QDateTime& now) {
  QString folder = outputFolder;
  folder.replace(QStringLiteral("<app>/"), programFolder);
  return ReplaceTimeVars(folder, ampm, now);
}

QString ResolveOutputFolder(const QString& outputFolder, const QString& programFolder, const TAmPmTexts& ampm,
                            const QDateTime& now, bool create) {
  const QString expanded = ExpandOutputFolder(outputFolder, programFolder, ampm, now);
  if (expanded.trimmed().isEmpty() || HoldsUnreplacedVariable(expanded)) return {};
  // A relative folder lies in the program folder, not wherever the program was started from.
  const QString folder = QDir::cleanPath(QDir(programFolder).absoluteFilePath(expanded));
  const QFileInfo info(folder);
  if (!create && info.exists() && !info.isDir()) return {};
  if (create && (!QDir().mkpath(folder) || !QFileInfo(folder).isDir())) return {};
  return WithTrailingSeparator(WithoutTrailingSeparators(folder));
}
