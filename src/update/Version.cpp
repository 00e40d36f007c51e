#include "update/Version.h"

#include <QLocale>
#include <QStringList>
#include <array>

#include "util/TextHelpers.h"

namespace {

constexpr int kParts = 4;

QChar LocaleDecimalSeparator() {
  const QString point = QLocale::system().decimalPoint();
  return point.isEmpty() ? QChar(u'.') : point.front();
}

// The four parts, missing ones "0"; nothing when there are more than four.
bool SplitVersion(const QString& text, std::array<QString, kParts>* parts) {
  const QStringList split = SplitText(text, QStringLiteral("."));
  if (split.size() > kParts) return false;
  for (int i = 0; i < kParts; ++i) (*parts)[i] = i < split.size() ? split[i] : QStringLiteral("0");
  return true;
}

// Joined with '.' whatever the locale: with another decimal separator the pair is no number.
QString Pair(const QString& left, const QString& right) { return left + u'.' + right; }

// A pair IsFloatText accepted, which means the separator is '.'.
double FloatValue(const QString& pair) { return pair.trimmed().toDouble(); }

int Sign(double a, double b) { return a > b ? 1 : (a < b ? -1 : 0); }

int IntegerPart(const QString& text) {
  bool ok = false;
  const int value = ParseIntegerText(text, &ok);
  return ok ? value : 0;
}

int Step(int offered, int current, int weight) {
  if (offered > current) return weight;
  if (offered < current) return -weight;
  return 0;
}

}  // namespace

tVersion GetVersion(const QString& text, QChar decimalSeparator) {
  tVersion version;
  std::array<QString, kParts> parts;
  if (!SplitVersion(text, &parts)) {
    version.ResultI = kVersionUnreadable;
    return version;
  }
  if (!IsFloatText(Pair(parts[0], parts[1]), decimalSeparator) ||
      !IsFloatText(Pair(parts[2], parts[3]), decimalSeparator))
    version.ResultI = kVersionUnreadable;
  version.MajVer = IntegerPart(parts[0]);
  version.MinVer = IntegerPart(parts[1]);
  version.ReleaseVer = IntegerPart(parts[2]);
  version.BuildVer = IntegerPart(parts[3]);
  return version;
}

tVersion GetVersion(const QString& text) { return GetVersion(text, LocaleDecimalSeparator()); }

int CompareVer(const QString& oldVer, const QString& newVer, QChar decimalSeparator) {
  std::array<QString, kParts> o;
  std::array<QString, kParts> n;
  if (!SplitVersion(oldVer, &o) || !SplitVersion(newVer, &n)) return kVersionUnreadable;
  const QString a = Pair(o[0], o[1]);
  const QString b = Pair(o[2], o[3]);
  const QString c = Pair(n[0], n[1]);
  const QString d = Pair(n[2], n[3]);
  for (const QString& number : {a, b, c, d})
    if (!IsFloatText(number, decimalSeparator)) return kVersionUnreadable;
  const int high = Sign(FloatValue(c), FloatValue(a));
  if (high != 0) return high;
  return Sign(FloatValue(d), FloatValue(b));
}

int CompareVer(const QString& oldVer, const QString& newVer) {
  return CompareVer(oldVer, newVer, LocaleDecimalSeparator());
}

int HaveNewVer(const tVersion& current, const tVersion& offered) {
  if (const int s = Step(offered.MajVer, current.MajVer, 1111)) return s;
  if (const int s = Step(offered.MinVer, current.MinVer, 111)) return s;
  if (const int s = Step(offered.ReleaseVer, current.ReleaseVer, 11)) return s;
  return Step(offered.BuildVer, current.BuildVer, 1);
}

QString GetVerStr(int major, int minor, int build, int release) {
  return QStringLiteral("%1.%2.%3.%4").arg(major).arg(minor).arg(release).arg(build);
}

QString GetVerStr(const tVersion& version) {
  return GetVerStr(version.MajVer, version.MinVer, version.BuildVer, version.ReleaseVer);
}
