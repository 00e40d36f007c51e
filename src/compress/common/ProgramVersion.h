#pragma once
// Version texts of engine programs. ELF files carry no version record, so a program is asked:
// run with arguments that make it print its version, and the first dotted number it prints is
// taken.
#include <QByteArray>
#include <QString>
#include <QStringList>

// What an engine that cannot tell its version shows.
inline const QString kUnknownVersion = QStringLiteral("0.0.0.0");

// The first "a.b[.c[.d]]" in the text as four decimal numbers ("RAR 7.01" -> "7.1.0.0",
// "bsdtar 3.6.2" -> "3.6.2.0"); "0.0.0.0" when there is none.
QString VersionTextFromOutput(const QByteArray& output);

// Runs the program (standard input closed, a few seconds at most) and reads its version from
// what it prints: "0.0.0.0" when it prints none, "" when it cannot be run or does not finish.
QString AskProgramVersion(const QString& program, const QStringList& arguments);
