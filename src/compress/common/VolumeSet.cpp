#include "compress/common/VolumeSet.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace {

// Volume numbers run from 1; a larger one than this is no packer's and would only make a list of
// missing volumes without end.
constexpr int kMaxVolumes = 9999;

bool ValidNumber(int n) { return n >= 1 && n <= kMaxVolumes; }

// A volume's file name split around its number: prefix + digits + suffix. The .zip of a ZIP set
// has no number of its own; it comes after the highest piece.
struct TVolumeName {
  const char* format;
  QString prefix;
  QString suffix;
  int width;        // digits of the number when generated
  bool exactWidth;  // RAR pads every number of a set alike; the others only to a minimum
  int number;       // 0: the .zip
  QString setName;  // x.rar, x.7z, x.zip
  QString zipName;  // the ZIP set's .zip; empty for the others

  QString NameOf(int n) const { return prefix + QString::number(n).rightJustified(width, '0') + suffix; }
  QString OpenedBy() const { return zipName.isEmpty() ? NameOf(1) : zipName; }
};

std::optional<TVolumeName> ParseVolumeName(const QString& fileName) {
  constexpr auto kNoCase = QRegularExpression::CaseInsensitiveOption;
  static const QRegularExpression rar(QStringLiteral(R"(^(.+)(\.part)(\d+)(\.rar)$)"), kNoCase);
  static const QRegularExpression sevenZip(QStringLiteral(R"(^(.+\.7z)(\.)(\d{3,})$)"), kNoCase);
  static const QRegularExpression zipPiece(QStringLiteral(R"(^(.+)(\.z)(\d{2,})$)"), kNoCase);
  static const QRegularExpression zip(QStringLiteral(R"(^(.+)\.(z)(ip)$)"), kNoCase);

  if (const auto m = rar.match(fileName); m.hasMatch())
    return TVolumeName{".rar",
                       m.captured(1) + m.captured(2),
                       m.captured(4),
                       int(m.capturedLength(3)),
                       true,
                       m.captured(3).toInt(),
                       m.captured(1) + m.captured(4),
                       {}};
  if (const auto m = sevenZip.match(fileName); m.hasMatch())
    return TVolumeName{
        ".7z", m.captured(1) + m.captured(2), {}, 3, false, m.captured(3).toInt(), m.captured(1), {}};
  if (const auto m = zipPiece.match(fileName); m.hasMatch()) {
    const QString zipExt =
        m.captured(2) == QLatin1String(".Z") ? QStringLiteral(".ZIP") : QStringLiteral(".zip");
    return TVolumeName{".zip",
                       m.captured(1) + m.captured(2),
                       {},
                       2,
                       false,
                       m.captured(3).toInt(),
                       m.captured(1) + zipExt,
                       m.captured(1) + zipExt};
  }
  if (const auto m = zip.match(fileName); m.hasMatch())
    return TVolumeName{".zip", m.captured(1) + '.' + m.captured(2), {}, 2, false, 0, fileName, fileName};
  return std::nullopt;
}

// The numbers of the set's numbered volumes in the folder.
QList<int> NumbersOnDisk(const QDir& folder, const TVolumeName& name) {
  QList<int> numbers;
  for (const QString& entry : folder.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
    if (!entry.startsWith(name.prefix) || !entry.endsWith(name.suffix)) continue;
    const QString digits =
        entry.mid(name.prefix.size(), entry.size() - name.prefix.size() - name.suffix.size());
    if (digits.size() < name.width || (name.exactWidth && digits.size() != name.width)) continue;
    if (!std::all_of(digits.begin(), digits.end(), [](QChar c) { return c.isDigit() && c.unicode() < 128; }))
      continue;
    if (const int n = digits.toInt(); ValidNumber(n)) numbers << n;
  }
  return numbers;
}

}  // namespace

std::optional<TVolumeSet> FindVolumeSet(const QString& path) {
  const QFileInfo info(path);
  const std::optional<TVolumeName> name = ParseVolumeName(info.fileName());
  if (!name || (name->zipName != info.fileName() && !ValidNumber(name->number))) return std::nullopt;
  const QDir folder = info.absoluteDir();
  const QList<int> numbers = NumbersOnDisk(folder, *name);
  const int highest = numbers.isEmpty() ? 0 : *std::max_element(numbers.begin(), numbers.end());
  // The opening volume with nothing beside it is an archive of its own.
  const bool isOpener = info.fileName() == name->OpenedBy();
  if (isOpener && numbers.size() == (name->zipName.isEmpty() ? 1 : 0)) return std::nullopt;

  TVolumeSet set;
  set.format = QLatin1String(name->format);
  set.setPath = folder.filePath(name->setName);
  set.openedBy = folder.filePath(name->OpenedBy());
  for (int n = 1; n <= std::max(highest, name->number); ++n) set.volumes << folder.filePath(name->NameOf(n));
  if (!name->zipName.isEmpty()) set.volumes << set.openedBy;
  for (const QString& volume : set.volumes)
    if (!QFileInfo(volume).isFile()) set.missing << volume;
  set.number = int(set.volumes.indexOf(info.absoluteFilePath())) + 1;
  return set;
}

QStringList SevenZipVolumes(const QString& path) {
  const std::optional<TVolumeSet> set = FindVolumeSet(path);
  if (!set || set->format != QLatin1String(".7z") || set->isOtherVolume()) return {};
  return set->volumes;
}

bool IsSplitZip(const QString& path) {
  const std::optional<TVolumeSet> set = FindVolumeSet(path);
  return set && set->format == QLatin1String(".zip") && !set->isOtherVolume();
}
