#include "update/PackageTrust.h"

#include <QCryptographicHash>
#include <QFile>

QString FileSha256(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  QCryptographicHash hash(QCryptographicHash::Sha256);
  if (!hash.addData(&file)) return {};
  return QString::fromLatin1(hash.result().toHex());
}

TPackageTrust JudgePackage(const QString& packagePath, const QString& expectedSha256,
                           bool cameOverVerifiedHttps) {
  const QString expected = expectedSha256.trimmed().toLower();
  if (!expected.isEmpty()) {
    const QString actual = FileSha256(packagePath);
    return !actual.isEmpty() && actual == expected ? TPackageTrust::ViaSha256 : TPackageTrust::Sha256Mismatch;
  }
  return cameOverVerifiedHttps ? TPackageTrust::ViaHttps : TPackageTrust::Unverified;
}
