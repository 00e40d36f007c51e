#include "cli/CliDocs.h"

#include <QRegularExpression>

#include "cli/CliOptionTable.h"
#include "util/SystemInfo.h"

namespace {

struct TExitStatus {
  int code;
  QString meaning;
};
struct TVariable {
  QString name;
  QString meaning;
};

// What the usage text and the manual page of one program say; the options come from the table.
struct TProgramTexts {
  QString program;
  QString purpose;  // the manual page's NAME line
  QStringList synopsis;
  QString description;
  QString optionsNote;  // may be empty
  bool window = false;  // the window program's options, else the command line's
  QList<TExitStatus> exitStatus;
  QList<TVariable> environment;  // besides those both programs read
  QString seeAlso;               // roff
};

const QString kProgramFolder = QStringLiteral(
    "The program folder holds Data/ (settings, rule lists, must-have files) and tmp/: the program's "
    "own folder, or $XDG_DATA_HOME/harrowmint (~/.local/share/harrowmint) for an installed "
    "program.");

const QList<TVariable> kCommonEnvironment = {
    {QStringLiteral("XDG_DATA_HOME"),
     QStringLiteral("where an installed program keeps its program folder (default ~/.local/share)")},
    {QStringLiteral("HARROWMINT_ANSI_CODEPAGE"),
     QStringLiteral(
         "code page of text files, stored passwords and file names that are not UTF-8 (default CP936)")},
    {QStringLiteral("HARROWMINT_OEM_CODEPAGE"),
     QStringLiteral("code page of ZIP entry names without the UTF-8 flag (default CP936)")},
};

const TProgramTexts& CliTexts() {
  static const TProgramTexts texts{
      QStringLiteral("harrowmint-cli"),
      QStringLiteral("repack archives, folders and files in batches"),
      {QStringLiteral("[--home DIR] [options] PATH..."), QStringLiteral("[--home DIR] [options] --watch INBOX"),
       QStringLiteral("[--home DIR] --engines"), QStringLiteral("--version")},
      QStringLiteral(
          "Repacks every PATH (archive, folder or file), in order, with the settings of the data folder, "
          "and prints one line per item: index, status, output archive, size in bytes. With --watch it "
          "repacks every archive, folder and file that arrives in INBOX, once it is complete, until it is "
          "stopped; INBOX/.harrowmint/ keeps the items it took (done/, failed/) and a journal with one "
          "JSON line per item."),
      QStringLiteral("Options change this run only; the settings file is never written."),
      false,
      {{0, QStringLiteral("every item made a plausible archive; a watch ended by SIGTERM or one Ctrl+C")},
       {1, QStringLiteral("some item failed; a watch stopped at once or whose folder went away")},
       {2, QStringLiteral("the run could not start or the arguments are wrong")}},
      {},
      QStringLiteral(".BR harrowmint (1),\n.BR rar (1),\n.BR 7z (1)\n"),
  };
  return texts;
}

const TProgramTexts& WindowTexts() {
  static const TProgramTexts texts{
      QStringLiteral("harrowmint"),
      QStringLiteral("repack archives, folders and files in batches, in a window"),
      {QStringLiteral("[--home DIR] [--start [--quit-when-done]] [PATH...]"), QStringLiteral("--version")},
      QStringLiteral(
          "Opens the window with every PATH (archive, folder or file) in its list, with the settings "
          "of the data folder; its start button repacks the checked ones. One window runs per "
          "program folder: when one runs already, the PATHs go to its list (and are started there with "
          "--start) and this start ends."),
      {},
      true,
      {{0, QStringLiteral("the window was closed, or the PATHs went to the window already running; with "
                          "--quit-when-done: every item made a plausible archive")},
       {1, QStringLiteral("a window of the same program folder runs already and no PATH was given; with "
                          "--quit-when-done: some item failed")},
       {2, QStringLiteral("the arguments are wrong; with --quit-when-done: also the run could not start")}},
      {{QStringLiteral("HARROWMINT_MESSAGES"),
        QStringLiteral("stderr: every message box is written to standard error and answered (OK, or Cancel "
                       "to a question) instead of shown, for unattended use")}},
      QStringLiteral(".BR harrowmint\\-cli (1)\n"),
  };
  return texts;
}

QList<TCliOption> ShownOptions(bool window = false) {
  QList<TCliOption> shown;
  for (const TCliOption& option : CliOptionTable())
    if (!option.hidden && (window ? option.window : !option.windowOnly)) shown << option;
  return shown;
}

QString Wrapped(const QString& text, int width) {
  QString out, line;
  for (const QString& word : text.split(' ', Qt::SkipEmptyParts)) {
    if (!line.isEmpty() && line.size() + 1 + word.size() > width) {
      out += line + '\n';
      line.clear();
    }
    line += (line.isEmpty() ? QString() : QStringLiteral(" ")) + word;
  }
  return out + line + '\n';
}

QString Indented(const QString& text, int width, int indent) {
  QString out;
  for (const QString& line : Wrapped(text, width).split('\n', Qt::SkipEmptyParts))
    out += QString(indent, ' ') + line + '\n';
  return out;
}

// Text as roff reads it literally: backslashes, dashes (which roff would print as hyphens) and a
// leading control character.
QString Roff(const QString& text) {
  QString out = text;
  out.replace('\\', QStringLiteral("\\e")).replace('-', QStringLiteral("\\-"));
  if (out.startsWith('.') || out.startsWith('\'')) out.prepend(QStringLiteral("\\&"));
  return out;
}

QString Bold(const QString& text) { return "\\fB" + Roff(text) + "\\fR"; }
QString Italic(const QString& text) { return "\\fI" + Roff(text) + "\\fR"; }

// A synopsis line with options in bold and placeholders (DIR, PATH, options) in italics.
QString RoffSynopsisLine(const QString& line) {
  static const QRegularExpression word(QStringLiteral("^([\\[]*)(.*?)((?:\\.\\.\\.)?[\\]]*)$"));
  QStringList out;
  for (const QString& token : line.split(' ')) {
    const QRegularExpressionMatch m = word.match(token);
    const QString core = m.captured(2);
    const QString styled = core.startsWith('-') ? Bold(core) : Italic(core);
    out << m.captured(1) + styled + Roff(m.captured(3));
  }
  return out.join(' ');
}

QString RoffOptionHead(const TCliOption& option) {
  QStringList names;
  for (const QString& name : option.spelledNames()) names << Bold(name);
  const QString head = names.join(QStringLiteral(", "));
  return option.argument == TCliOption::argNone ? head : head + ' ' + Italic(option.argumentText());
}

QString ShellWords(const QStringList& words) { return '\'' + words.join(' ') + '\''; }

QString Usage(const TProgramTexts& texts) {
  QString text;
  for (qsizetype i = 0; i < texts.synopsis.size(); ++i)
    text += (i == 0 ? QStringLiteral("Usage: ") : QStringLiteral("       ")) + texts.program + ' ' +
            texts.synopsis[i] + '\n';
  text += '\n' + Wrapped(texts.description, 90) + '\n';
  if (!texts.optionsNote.isEmpty()) text += texts.optionsNote + '\n';
  for (const TCliOption& option : ShownOptions(texts.window))
    text += QStringLiteral("  %1  %2\n").arg(option.synopsis(), -23).arg(option.help);
  text += '\n' + Wrapped(kProgramFolder, 90) + QStringLiteral("\nExit status:\n");
  for (const TExitStatus& status : texts.exitStatus)
    text += QStringLiteral("  %1  %2\n").arg(status.code).arg(status.meaning);
  text += QStringLiteral("\nEnvironment:\n");
  for (const TVariable& variable : kCommonEnvironment + texts.environment)
    text += QStringLiteral("  %1\n").arg(variable.name) + Indented(variable.meaning, 84, 6);
  return text;
}

QString ManPage(const TProgramTexts& texts) {
  QString page = QStringLiteral(".TH %1 1 \"\" \"Harrowmint %2\" \"User Commands\"\n")
                     .arg(Roff(texts.program.toUpper()), ProgramVersionText());
  page += QStringLiteral(".SH NAME\n%1 \\- %2\n").arg(Roff(texts.program), Roff(texts.purpose));
  page += QStringLiteral(".SH SYNOPSIS\n");
  for (const QString& line : texts.synopsis)
    page += QStringLiteral(".B %1\n%2\n.br\n").arg(Roff(texts.program), RoffSynopsisLine(line));
  page += QStringLiteral(".SH DESCRIPTION\n%1\n").arg(Roff(texts.description));
  if (!texts.optionsNote.isEmpty()) page += QStringLiteral(".PP\n%1\n").arg(Roff(texts.optionsNote));
  page += QStringLiteral(".SH OPTIONS\n");
  for (const TCliOption& option : ShownOptions(texts.window))
    page += QStringLiteral(".TP\n%1\n%2\n").arg(RoffOptionHead(option), Roff(option.help));
  page += QStringLiteral(".SH EXIT STATUS\n");
  for (const TExitStatus& status : texts.exitStatus)
    page += QStringLiteral(".TP\n.B %1\n%2\n").arg(status.code).arg(Roff(status.meaning));
  page += QStringLiteral(".SH FILES\n") + Roff(kProgramFolder) + '\n';
  page += QStringLiteral(
      ".TP\nPortable layout\n"
      "Everything lies in the program folder, the folder of the program or the one given with "
      "\\fB\\-\\-home\\fR: \\fIData/\\fR, \\fItmp/\\fR, the seed data folder \\fISysDb/Data/\\fR "
      "copied to \\fIData/\\fR at the first start, and the engine folder \\fIEngine/\\fR.\n"
      ".TP\nInstalled layout\n"
      "The program lies in \\fI<prefix>/bin\\fR (\\fI/usr\\fR for the Debian package); the seed "
      "data folder and the shipped plug-in files in \\fI<prefix>/share/harrowmint/\\fR, the engine "
      "folder with links to the system's engines in \\fI<prefix>/lib/harrowmint/Engine/\\fR. The "
      "program folder is \\fI$XDG_DATA_HOME/harrowmint/\\fR, seeded at the first start.\n");
  page += QStringLiteral(".SH ENVIRONMENT\n");
  for (const TVariable& variable : kCommonEnvironment + texts.environment)
    page += QStringLiteral(".TP\n.B %1\n%2\n").arg(variable.name, Roff(variable.meaning));
  page += QStringLiteral(".SH SEE ALSO\n") + texts.seeAlso;
  return page;
}

}  // namespace

QString CliUsage() { return Usage(CliTexts()); }

QString CliManPage() { return ManPage(CliTexts()); }

QString WindowUsage() { return Usage(WindowTexts()); }

QString WindowManPage() { return ManPage(WindowTexts()); }

QString CliBashCompletion() {
  QStringList all, folders, files, texts;
  QString choices;
  for (const TCliOption& option : ShownOptions()) {
    all << option.spelledNames();
    const QString spelled = option.spelledNames().first();
    switch (option.argument) {
      case TCliOption::argFolder:
        folders << spelled;
        break;
      case TCliOption::argFile:
        files << spelled;
        break;
      case TCliOption::argText:
        texts << spelled;
        break;
      case TCliOption::argChoice:
        choices +=
            QStringLiteral(
                "    %1)\n      mapfile -t COMPREPLY < <(compgen -W %2 -- \"$cur\")\n      return ;;\n")
                .arg(spelled, ShellWords(option.choices));
        break;
      case TCliOption::argNone:
        break;
    }
  }
  QString script = QStringLiteral(
      "# bash completion for harrowmint-cli (written by harrowmint-cli --print-completion)\n"
      "_harrowmint_cli() {\n"
      "  local cur=${COMP_WORDS[COMP_CWORD]} prev=\n"
      "  ((COMP_CWORD > 0)) && prev=${COMP_WORDS[COMP_CWORD - 1]}\n"
      "  COMPREPLY=()\n"
      "  case $prev in\n");
  if (!folders.isEmpty())
    script += QStringLiteral(
                  "    %1)\n      compopt -o filenames 2>/dev/null\n"
                  "      mapfile -t COMPREPLY < <(compgen -d -- \"$cur\")\n      return ;;\n")
                  .arg(folders.join('|'));
  if (!files.isEmpty())
    script += QStringLiteral(
                  "    %1)\n      compopt -o filenames 2>/dev/null\n"
                  "      mapfile -t COMPREPLY < <(compgen -f -- \"$cur\")\n      return ;;\n")
                  .arg(files.join('|'));
  script += choices;
  if (!texts.isEmpty()) script += QStringLiteral("    %1)\n      return ;;\n").arg(texts.join('|'));
  script += QStringLiteral(
                "  esac\n"
                "  if [[ $cur == -* ]]; then\n"
                "    mapfile -t COMPREPLY < <(compgen -W %1 -- \"$cur\")\n"
                "    return\n"
                "  fi\n"
                "  compopt -o filenames 2>/dev/null\n"
                "  mapfile -t COMPREPLY < <(compgen -f -- \"$cur\")\n"
                "}\n"
                "complete -F _harrowmint_cli harrowmint-cli\n")
                .arg(ShellWords(all));
  return script;
}
