#pragma once
// Variables of the output folder and the output-name template: "<app>/" (folder only) and the
// time variables "<yyyy>" ... "<ap>". "<name>" belongs to output naming and is left alone here.
#include <QDateTime>
#include <QLocale>
#include <QString>

// What "<ap>" produces: the am text for hours 0 to 12, the pm text for 13 to 23.
struct TAmPmTexts {
  QString am = QStringLiteral("01");
  QString pm = QStringLiteral("02");

  friend bool operator==(const TAmPmTexts&, const TAmPmTexts&) = default;
};

// Replaces every time variable, case-sensitively, in a fixed order, all from one reading of the
// clock (`now`). The weekday name of "<dddd>" comes from `locale`.
QString ReplaceTimeVars(const QString& text, const TAmPmTexts& ampm, const QDateTime& now,
                        const QLocale& locale = QLocale::system());
// The same with the current local time.
QString ReplaceTimeVars(const QString& text, const TAmPmTexts& ampm);

// Whether the output-name template makes a usable file name: the time variables replaced, every
// "<name>" (case-sensitive) replaced by "1", then IsValidFileName. So "<NAME>", "<name>?", "con"
// and "" are refused, "backup" is accepted. The settings dialog checks this before saving.
bool IsValidNameTemplate(const QString& fileNameFormat, const TAmPmTexts& ampm, const QDateTime& now);

// ".zip" for 1, ".7z" for 2, ".rar" for anything else.
QString GetOutputExt(int index);

// "yyyyMMddHHmmss" followed by `randomValue` (0..999) in decimal: 15 to 17 digits.
QString GetDateRandomName(const QDateTime& now, int randomValue);
// The same with the current local time and a fresh random number.
QString GetDateRandomName();

// The output folder text of a run with "<app>/" replaced by the program folder (which ends in
// '/') and the time variables replaced. Touches no disk.
QString ExpandOutputFolder(const QString& outputFolder, const QString& programFolder, const TAmPmTexts& ampm,
                           const QDateTime& now);

// The output folder of a run: expanded, made absolute, created with all missing parents, and
// returned ending in exactly one '/'. Empty when it cannot be used (a "<variable>" left
// unreplaced, or a folder that cannot be made); the caller then reports "无效的输出目录。".
// Without create (a dry run) nothing is made: a missing folder counts as usable, anything else
// at its path does not.
QString ResolveOutputFolder(const QString& outputFolder, const QString& programFolder, const TAmPmTexts& ampm,
                            const QDateTime& now, bool create = true);
