#pragma once
// Version texts "major.minor.release.build" and the two ways the update check compares them.
//
// Two comparisons with different rules exist and both are kept as they are:
// - HaveNewVer compares the four numbers one by one; it alone decides whether an update exists.
// - CompareVer reads "major.minor" and "release.build" as decimal numbers in the user's locale,
//   so 1.10 is the number 1.1 and compares below 1.9, and where the locale writes decimals with
//   a comma every comparison is unreadable (-11). It serves only the lowest version allowed to
//   update and the forced-update rule.
#include <QChar>
#include <QString>

// Result of CompareVer and GetVersion for a text that cannot be read.
inline constexpr int kVersionUnreadable = -11;

struct tVersion {
  int MajVer = 0;
  int MinVer = 0;
  int ReleaseVer = 0;
  int BuildVer = 0;
  int ResultI = 0;  // 0, or kVersionUnreadable

  friend bool operator==(const tVersion&, const tVersion&) = default;
};

// Up to four parts split at '.', missing ones "0". Five or more parts give all zeros and
// kVersionUnreadable. "p1.p2" and "p3.p4" must read as decimal numbers with the given separator
// (else ResultI is kVersionUnreadable); each part is then read as an integer, 0 when it is none.
tVersion GetVersion(const QString& text, QChar decimalSeparator);
tVersion GetVersion(const QString& text);  // the user's locale

// 1 when newVer is higher, 0 when equal, -1 when lower, kVersionUnreadable when either has more
// than four parts or a pair that is not a decimal number with the separator.
int CompareVer(const QString& oldVer, const QString& newVer, QChar decimalSeparator);
int CompareVer(const QString& oldVer, const QString& newVer);  // the user's locale

// The offered version against the current one, number by number: a higher or lower major gives
// 1111 or -1111, then the minors 111 or -111, the releases 11 or -11, the builds 1 or -1; all
// equal gives 0. Only a positive result is an update.
int HaveNewVer(const tVersion& current, const tVersion& offered);

// "major.minor.release.build"; note the order of the arguments.
QString GetVerStr(int major, int minor, int build, int release);
QString GetVerStr(const tVersion& version);
