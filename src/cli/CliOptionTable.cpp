#include "cli/CliOptionTable.h"

QStringList TCliOption::spelledNames() const {
  QStringList spelled;
  for (const QString& n : names) spelled << (n.size() == 1 ? "-" : "--") + n;
  return spelled;
}

QString TCliOption::argumentText() const {
  if (argument == argChoice) return choices.join('|');
  return argument == argNone ? QString() : argumentName;
}

QString TCliOption::synopsis() const {
  const QString text = spelledNames().join(QStringLiteral(", "));
  return argument == argNone ? text : text + ' ' + argumentText();
}

const QList<TCliOption>& CliOptionTable() {
  using O = TCliOption;
  static const QList<TCliOption> table = {
      {{"home"},
       O::argFolder,
       "DIR",
       {},
       "program folder holding Data/, Engine/ and tmp/ (portable layout)",
       false,
       true},
      {{"format"}, O::argChoice, "FORMAT", {"rar", "zip", "7z"}, "output format"},
      {{"output"}, O::argFolder, "DIR", {}, "output folder"},
      {{"password"}, O::argText, "PWD", {}, "password of the output archives"},
      {{"unpack-password"}, O::argText, "PWD", {}, "password for extracting the sources"},
      {{"plugin-formats"}, O::argNone, {}, {}, "also extract files that a plug-in opens (tar.gz, iso, cab)"},
      {{"passwords"},
       O::argFile,
       "FILE",
       {},
       "passwords to try in order when a source does not open (in place of Data/Passwords.dat)"},
      {{"keep-time"}, O::argNone, {}, {}, "give each output archive its source's modification time"},
      {{"nested"}, O::argText, "N", {}, "also open the archives inside an extracted archive, N levels deep (0 to 3)"},
      {{"test-output"}, O::argNone, {}, {}, "read every output's data back and check it before it counts"},
      {{"jobs"}, O::argText, "N", {}, "items worked on at once (0: one per processor core; default: the setting Jobs, 0 unless changed)"},
      {{"start"}, O::argNone, {}, {}, "start the run as soon as the window is shown, as its start button does", false, true, true},
      {{"quit-when-done"},
       O::argNone,
       {},
       {},
       "with --start: close the window when the run has ended, with the command line's exit status",
       false,
       true,
       true},
      {{"json"}, O::argNone, {}, {}, "one JSON object per item instead of the tab-separated lines"},
      {{"dry-run"}, O::argNone, {}, {}, "show what the cleanup would do; nothing is packed or changed"},
      {{"watch"},
       O::argFolder,
       "INBOX",
       {},
       "repack everything that arrives in the folder, until stopped (SIGTERM, Ctrl+C)"},
      {{"settle"},
       O::argText,
       "SECONDS",
       {},
       "with --watch: how long an arrival must stay unchanged before it is taken (default 5)"},
      {{"verbose"}, O::argNone, {}, {}, "why items failed, as log lines on standard error"},
      {{"engines"}, O::argNone, {}, {}, "list the engines and plug-ins with their versions"},
      {{"version"}, O::argNone, {}, {}, "print the program's version", false, true},
      {{"help", "h"}, O::argNone, {}, {}, "print this text", false, true},
      {{"print-man"}, O::argNone, {}, {}, "print the manual page (roff)", true, true},
      {{"print-completion"}, O::argNone, {}, {}, "print the bash completion script", true},
  };
  return table;
}
