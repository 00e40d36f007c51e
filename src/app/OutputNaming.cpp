#include "app/OutputNaming.h"

#include <QFileInfo>
#include <QRegularExpression>

#include "settings/DataFolder.h"
#include "settings/PathVars.h"
#include "util/FileOps.h"

namespace {

const QString kNamePlaceholder = QStringLiteral("<name>");
const QString kReplaceSourceExts = QStringLiteral(";.zip;.rar;.7z;");

// Anything already at the path takes the name, except a folder; a dangling link counts too, so
// the packer never writes through one.
bool NameTaken(const QString& path) {
  const QFileInfo info(path);
  return info.isSymLink() || (info.exists() && !info.isDir());
}

}  // namespace

QString FilterFileName(const QString& name, const QStringList& nameDeleteList) {
  QString result = name;
  for (const QString& line : nameDeleteList) {
    if (!line.isEmpty()) result.remove(line, Qt::CaseInsensitive);
  }
  return result;
}

QString FilterFileName(const QString& name, const QString& nameDeleteFile) {
  return FilterFileName(name, LoadListFile(nameDeleteFile));
}

QString StripVersionText(const QString& name) {
  static const QRegularExpression lower(QStringLiteral("v[0-9.]*"));
  static const QRegularExpression upper(QStringLiteral("V[0-9.]*"));
  QString result = name;
  result.remove(lower);
  result.remove(upper);
  return result;
}

TOutputNaming::TOutputNaming(const TSettings& settings, QString outputPath, QString outputExt,
                             QString nameDeleteFile, TUnreadableFile onUnreadable)
    : settings_(settings),
      outputPath_(std::move(outputPath)),
      outputExt_(std::move(outputExt)),
      nameDeleteFile_(std::move(nameDeleteFile)),
      onUnreadable_(std::move(onUnreadable)) {}

QString TOutputNaming::OutputBaseName(const QString& source, const QDateTime& now,
                                      const QString& formatExt) const {
  const QString fileName = FileNamePart(source);
  // An extension the name does not end in cuts the last one, as none given does.
  const QString stem = !formatExt.isEmpty() && fileName.endsWith(formatExt)
                           ? fileName.chopped(formatExt.size())
                           : FileNameWithoutExt(source);
  QString base = settings_.nameType == ntByDate
                     ? now.toString(QStringLiteral("yyyyMMddHHmmss"))
                     : FilterFileName(stem, LoadListFile(nameDeleteFile_, onUnreadable_));
  if (settings_.DelCompressVer) base = StripVersionText(base);
  base.replace(QStringLiteral(".."), QStringLiteral("."));

  QString name = ReplaceTimeVars(settings_.fileNameFormat, settings_.ampm, now);
  const qsizetype at = name.indexOf(kNamePlaceholder, 0, Qt::CaseInsensitive);
  if (at >= 0) name.replace(at, kNamePlaceholder.size(), base);
  // A hand-edited template must not lead the output out of the output folder.
  name.replace('/', '_');
  return name;
}

TOutputName TOutputNaming::Name(const QString& source, const QDateTime& now, const QString& formatExt,
                                TOutputReservations* reservations) const {
  const QString sourceExt = FileExtension(source);
  TOutputName out;
  out.baseName = OutputBaseName(source, now, formatExt);
  QString ext = outputExt_;
  if (settings_.RARToFrom) {
    // The output takes the source's place, so it keeps the source's own format and extension.
    if (kReplaceSourceExts.contains(';' + sourceExt + ';'))
      ext = sourceExt;
    else
      out.eligible = false;
  }
  out.CompressPath = FreePath(out.baseName, ext, reservations);
  return out;
}

QString TOutputNaming::FreePath(const QString& baseName, const QString& ext,
                                TOutputReservations* reservations) const {
  QString suffix;
  for (int counter = 0;; suffix = '_' + QString::number(++counter)) {
    const QString path = outputPath_ + baseName + suffix + ext;
    if (NameTaken(path)) continue;
    if (!reservations || reservations->Hold(path) != TOutputReservations::THold::Taken) return path;
  }
}
