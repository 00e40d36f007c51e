// The texts made from the option table: the bash completion completes in a real bash, the manual
// pages of both programs read in groff without a warning, and --help, the page and the completion
// offer the same options (and none of the hidden ones); the window program's texts offer the
// options it takes, and print without a display.
#include <QDir>

#include "support/TestSupport.h"

using testsupport::MakeDir;
using testsupport::RunTool;
using testsupport::TempDir;
using testsupport::ToolRun;
using testsupport::WriteFile;

namespace {

QString Cli() { return testsupport::BinDir() + "/harrowmint-cli"; }
QString Window() { return testsupport::BinDir() + "/harrowmint"; }

const QStringList kShownOptions = {"--home",
                                   "--format",
                                   "--output",
                                   "--password",
                                   "--unpack-password",
                                   "--passwords",
                                   "--keep-time",
                                   "--plugin-formats",
                                   "--jobs",
                                   "--json",
                                   "--nested",
                                   "--test-output",
                                   "--dry-run",
                                   "--watch",
                                   "--settle",
                                   "--verbose",
                                   "--engines",
                                   "--version",
                                   "--help",
                                   "-h"};
const QStringList kHiddenOptions = {"--print-man", "--print-completion"};
const QStringList kWindowOptions = {"--home", "--start", "--quit-when-done", "--version", "--help", "-h"};

// Each program's texts: the options they show and those they must not.
struct ProgramCase {
  QString program;
  QStringList shown;
  QStringList absent;
};
QList<ProgramCase> Programs() {
  return {{Cli(), kShownOptions, kHiddenOptions + QStringList{"--start", "--quit-when-done"}},
          {Window(), kWindowOptions, kHiddenOptions + QStringList{"--format", "--engines", "--jobs"}}};
}

// Runs a program with no display to reach.
ToolRun RunWithoutDisplay(const QString& program, const QStringList& args) {
  return RunTool(
      "env", QStringList{"-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM=xcb", program} + args);
}

QStringList Lines(const QByteArray& out) { return QString::fromUtf8(out).split('\n', Qt::SkipEmptyParts); }

// What the completion offers for a command line being typed (the last word is the one completed).
QStringList Complete(const QStringList& words) {
  const QString script = QStringLiteral(
      "source <(\"$CLI\" --print-completion) || exit 3\n"
      "complete -p harrowmint-cli >/dev/null || exit 4\n"
      "COMP_WORDS=(\"$@\"); COMP_CWORD=$(($# - 1))\n"
      "_harrowmint_cli\n"
      "printf '%s\\n' \"${COMPREPLY[@]}\"\n");
  const ToolRun run = RunTool("env", QStringList{"CLI=" + Cli(), "bash", "-c", script, "bash"} + words);
  EXPECT_EQ(run.exitCode, 0) << run.err.constData();
  QStringList offered = Lines(run.out);
  offered.sort();
  return offered;
}

TEST(CliDocs, BashCompletionOffersOptionsChoicesFoldersAndFiles) {
  HM_REQUIRE_TOOL("bash");
  TempDir dir;
  MakeDir(dir.file("sub dir"));
  WriteFile(dir.file("game.zip"), "PK");
  const QString prefix = dir.path() + '/';
  struct Case {
    QStringList words;
    QStringList offered;
  };
  const Case cases[] = {
      {{"harrowmint-cli", "--f"}, {"--format"}},
      {{"harrowmint-cli", "--format", ""}, {"7z", "rar", "zip"}},
      {{"harrowmint-cli", "--format", "z"}, {"zip"}},
      {{"harrowmint-cli", "--output", prefix}, {prefix + "sub dir"}},
      {{"harrowmint-cli", "--home", prefix + "s"}, {prefix + "sub dir"}},
      {{"harrowmint-cli", "--watch", prefix}, {prefix + "sub dir"}},
      {{"harrowmint-cli", "--password", ""}, {}},
      {{"harrowmint-cli", "--passwords", prefix}, {prefix + "game.zip", prefix + "sub dir"}},
      {{"harrowmint-cli", "--json", prefix}, {prefix + "game.zip", prefix + "sub dir"}},
      {{"harrowmint-cli", "--print"}, {}},
  };
  for (const Case& c : cases) EXPECT_EQ(Complete(c.words), c.offered) << c.words.join(' ').toStdString();

  QStringList all = Complete({"harrowmint-cli", "-"});
  QStringList shown = kShownOptions;
  shown.sort();
  EXPECT_EQ(all, shown);
}

TEST(CliDocs, ManualPagesReadWithoutWarningsAndListTheirOptions) {
  HM_REQUIRE_TOOL("groff");
  for (const ProgramCase& c : Programs()) {
    SCOPED_TRACE(c.program.toStdString());
    const ToolRun page = RunWithoutDisplay(c.program, {"--print-man"});
    ASSERT_EQ(page.exitCode, 0);
    TempDir dir;
    WriteFile(dir.file("page.1"), page.out);
    const ToolRun rendered = RunTool("groff", {"-man", "-Tascii", "-P-cbou", "-ww", dir.file("page.1")});
    EXPECT_EQ(rendered.exitCode, 0);
    EXPECT_EQ(rendered.err, "") << "groff warnings";
    const QString text = QString::fromUtf8(rendered.out);
    for (const QString& option : c.shown) EXPECT_TRUE(text.contains(option)) << option.toStdString();
    for (const QString& option : c.absent) EXPECT_FALSE(text.contains(option)) << option.toStdString();
    for (const char* section : {"SYNOPSIS", "OPTIONS", "EXIT STATUS", "FILES", "ENVIRONMENT", "SEE ALSO"})
      EXPECT_TRUE(text.contains(section)) << section;
    EXPECT_TRUE(text.contains("$XDG_DATA_HOME/harrowmint")) << text.toStdString();
    if (c.program == Cli()) {
      EXPECT_TRUE(text.contains("--format rar|zip|7z")) << text.toStdString();
    }
  }
}

TEST(CliDocs, HelpListsTheSameOptions) {
  for (const ProgramCase& c : Programs()) {
    SCOPED_TRACE(c.program.toStdString());
    const ToolRun help = RunWithoutDisplay(c.program, {"--help"});
    EXPECT_EQ(help.exitCode, 0);
    const QString text = QString::fromUtf8(help.out);
    for (const QString& option : c.shown) EXPECT_TRUE(text.contains(option)) << option.toStdString();
    for (const QString& option : c.absent) EXPECT_FALSE(text.contains(option)) << option.toStdString();
  }
  EXPECT_TRUE(QString::fromUtf8(RunTool(Cli(), {"--help"}).out)
                  .contains("  --format rar|zip|7z      output format\n"));
  EXPECT_TRUE(QString::fromUtf8(RunTool(Window(), {"--help"}).out).contains("HARROWMINT_MESSAGES"));
}

}  // namespace
