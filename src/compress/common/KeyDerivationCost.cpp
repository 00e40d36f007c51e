#include "compress/common/KeyDerivationCost.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QElapsedTimer>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kBlockBytes = 64;
// Beyond what the engines accept (they refuse the archive at once); counted as their highest, so
// an estimate never passes what a try can cost.
constexpr int kMaxPower = 24;

double MeasureSha256BlockSeconds() {
  const QByteArray data(1 << 20, 'k');
  QElapsedTimer timer;
  timer.start();
  QCryptographicHash::hash(data, QCryptographicHash::Sha256);
  return double(std::max<qint64>(timer.nsecsElapsed(), 1)) * 1e-9 / (double(data.size()) / kBlockBytes);
}

double Sha256BlockSeconds() {
  static const double seconds = MeasureSha256BlockSeconds();
  return seconds;
}

}  // namespace

double Rar5KeySeconds(int count) {
  return 2 * std::ldexp(1.0, std::min(count, kMaxPower)) * Sha256BlockSeconds();
}

double SevenZipAesKeySeconds(int cyclesPower, int saltSize, int passwordUnits) {
  if (cyclesPower == 63) return 0;
  const double rounds = std::ldexp(1.0, std::min(cyclesPower, kMaxPower));
  return rounds * (saltSize + 2.0 * passwordUnits + 8) / kBlockBytes * Sha256BlockSeconds();
}
