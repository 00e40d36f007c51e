#include "compress/common/WorkingNames.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "util/NativePath.h"

namespace {

constexpr int kUniqueLength = 6;

QString PrefixName(const QString& output) {
  // The name's bytes as the file system holds them: two outputs differ there if anywhere.
  const std::string name = NativePath(QFileInfo(output).fileName());
  const QByteArray digest =
      QCryptographicHash::hash(QByteArray::fromStdString(name), QCryptographicHash::Sha256).left(8);
  return QStringLiteral(".hm-") + QString::fromLatin1(digest.toHex()) + '-';
}

QString UniquePart() {
  static const char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  QString part;
  for (int i = 0; i < kUniqueLength; ++i)
    part += QLatin1Char(kChars[QRandomGenerator::global()->bounded(62)]);
  return part;
}

}  // namespace

QString WorkingNamePrefix(const QString& output) {
  return QFileInfo(output).absolutePath() + '/' + PrefixName(output);
}

QString WorkingNameTemplate(const QString& output) {
  return WorkingNamePrefix(output) + QString(kUniqueLength, 'X');
}

QStringList WorkingNamesOf(const QString& output) {
  const QString prefix = PrefixName(output);
  QStringList found;
  const QDir folder = QFileInfo(output).dir();
  for (const QFileInfo& entry :
       folder.entryInfoList({prefix + '*'}, QDir::Files | QDir::Dirs | QDir::Hidden | QDir::System |
                                                QDir::NoDotAndDotDot | QDir::CaseSensitive))
    if (!entry.isSymLink() && entry.fileName().size() == prefix.size() + kUniqueLength)
      found << entry.filePath();
  return found;
}

TWorkingFile::TWorkingFile(const QString& output, const std::function<void(const QString& path)>& announce)
    : output_(NativePath(output)) {
  const QString prefix = WorkingNamePrefix(output);
  for (int attempt = 0; attempt < 100; ++attempt) {
    const QString name = prefix + UniquePart();
    if (announce) announce(name);
    const std::string path = NativePath(name);
    fd_.reset(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666));
    if (fd_) {
      path_ = path;
      return;
    }
    error_ = errno;
    if (error_ != EEXIST) return;
  }
}

TWorkingFile::~TWorkingFile() {
  fd_.reset();
  if (!path_.empty()) ::unlink(path_.c_str());
}

QString TWorkingFile::path() const { return FromNativePath(path_); }

bool TWorkingFile::LinkInPlace() { return !path_.empty() && ::link(path_.c_str(), output_.c_str()) == 0; }

bool TWorkingFile::PutInPlace() {
  if (path_.empty() || std::rename(path_.c_str(), output_.c_str()) != 0) return false;
  path_.clear();
  return true;
}
