#pragma once
// Every option of harrowmint-cli, once, and which of them the window program harrowmint takes too
// (with the few only the window has).
// The parser, --help, the manual pages and the bash completion are all made from this table, so
// they cannot tell different stories.
#include <QList>
#include <QString>
#include <QStringList>

struct TCliOption {
  enum TArgument { argNone, argFolder, argFile, argText, argChoice };

  QStringList names;  // without dashes, the long name first; a one-letter name is a short option
  TArgument argument = argNone;
  QString argumentName;  // "DIR", "FILE", "PWD", "FORMAT", "N", "INBOX", "SECONDS"
  QStringList choices;   // argChoice: the only values taken
  QString help;          // one line
  bool hidden = false;   // parsed, but in no text: the build's own generators
  bool window = false;   // the window program takes it too
  bool windowOnly = false;  // the window program's alone: the command line neither parses nor shows it

  QString name() const { return names.first(); }
  // The names as typed: "--help", "-h".
  QStringList spelledNames() const;
  // The argument as the texts show it: "DIR", "rar|zip|7z"; empty for a switch.
  QString argumentText() const;
  // How the option is written in the texts: "--home DIR", "--format rar|zip|7z", "--help, -h".
  QString synopsis() const;
};

const QList<TCliOption>& CliOptionTable();
