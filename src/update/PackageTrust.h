#pragma once
// Whether a downloaded package may be started. Downloaded code runs only when its origin is
// established: the description gives its SHA-256 and the bytes match, or (without a digest) it
// came over HTTPS with a certificate that was verified. A digest that is given always decides,
// over HTTPS as well.
#include <QString>

enum class TPackageTrust {
  ViaSha256,       // the digest of the description matches
  ViaHttps,        // no digest given; verified HTTPS
  Sha256Mismatch,  // a digest is given and the bytes differ (or cannot be read)
  Unverified,      // no digest, and not verified HTTPS
};

TPackageTrust JudgePackage(const QString& packagePath, const QString& expectedSha256,
                           bool cameOverVerifiedHttps);

inline bool IsTrusted(TPackageTrust trust) {
  return trust == TPackageTrust::ViaSha256 || trust == TPackageTrust::ViaHttps;
}

// Lower-case hex SHA-256 of the file; "" when it cannot be read.
QString FileSha256(const QString& path);
