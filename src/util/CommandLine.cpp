#include "util/CommandLine.h"

#include <algorithm>
#include <utility>

namespace {

bool IsBlank(QChar c) { return c == u' ' || c == u'\t'; }

}  // namespace

// Follows the arguments part of CommandLineToArgvW, including its treatment of runs of quotes:
// a quote count of 1 means "inside quotes"; the third quote of a run is a literal one.
QList<TCommandLineArgument> SplitCommandLineArguments(const QString& parameters) {
  QList<TCommandLineArgument> arguments;
  TCommandLineArgument current;
  bool inArgument = false;
  int backslashes = 0;
  int quotes = 0;
  const qsizetype n = parameters.size();
  qsizetype i = 0;
  while (i < n) {
    const QChar c = parameters[i];
    if (IsBlank(c) && quotes == 0) {
      if (inArgument) {
        arguments << std::exchange(current, {});
        inArgument = false;
      }
      backslashes = 0;
      ++i;
      continue;
    }
    inArgument = true;
    if (c == u'\\') {
      current.text += c;
      ++backslashes;
      ++i;
    } else if (c == u'"') {
      current.quoted = true;
      if (backslashes % 2 == 0) {
        current.text.chop(backslashes / 2);
        ++quotes;
      } else {
        current.text.chop(backslashes / 2 + 1);
        current.text += u'"';
      }
      backslashes = 0;
      ++i;
      for (; i < n && parameters[i] == u'"'; ++i) {
        if (++quotes == 3) {
          current.text += u'"';
          quotes = 0;
        }
      }
      if (quotes == 2) quotes = 0;
    } else {
      current.text += c;
      backslashes = 0;
      ++i;
    }
  }
  if (inArgument) arguments << current;
  return arguments;
}

QStringList SplitCommandLine(const QString& parameters) {
  QStringList arguments;
  for (const TCommandLineArgument& argument : SplitCommandLineArguments(parameters))
    arguments << argument.text;
  return arguments;
}

QString QuoteCommandLineArgument(const QString& argument) {
  const bool plain = !argument.isEmpty() && std::none_of(argument.begin(), argument.end(),
                                                         [](QChar c) { return IsBlank(c) || c == u'"'; });
  if (plain) return argument;
  QString quoted(u'"');
  int backslashes = 0;
  for (const QChar c : argument) {
    if (c == u'\\') {
      ++backslashes;
      continue;
    }
    // Backslashes only escape when a quote follows them.
    quoted += QString(c == u'"' ? 2 * backslashes + 1 : backslashes, u'\\');
    quoted += c;
    backslashes = 0;
  }
  quoted += QString(2 * backslashes, u'\\');
  quoted += u'"';
  return quoted;
}

QString JoinCommandLine(const QStringList& arguments) {
  QStringList quoted;
  quoted.reserve(arguments.size());
  for (const QString& a : arguments) quoted << QuoteCommandLineArgument(a);
  return quoted.join(u' ');
}
