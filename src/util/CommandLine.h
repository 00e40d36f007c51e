#pragma once
// Parameter texts written for Windows programs, split and quoted by the Windows rules.
#include <QString>
#include <QStringList>

// Splits a parameter text as CommandLineToArgvW splits the arguments after the program name:
// blanks (space, tab) separate, double quotes group, 2n backslashes before a quote give n
// backslashes and a quote that toggles grouping, 2n+1 give n backslashes and a literal quote,
// other backslashes are literal, and a third consecutive quote inside a group is literal.
QStringList SplitCommandLine(const QString& parameters);

struct TCommandLineArgument {
  QString text;
  bool quoted = false;  // a double quote took part in it: "" is an argument, even an empty one
};
// The same split, telling for each argument whether it was quoted.
QList<TCommandLineArgument> SplitCommandLineArguments(const QString& parameters);
// Quotes one argument so that SplitCommandLine gives it back unchanged.
QString QuoteCommandLineArgument(const QString& argument);
// The arguments quoted and joined by single spaces.
QString JoinCommandLine(const QStringList& arguments);
