// The texts harrowmint-cli makes from its option table: the bash completion completes in a real
// bash, the manual page reads in groff without a warning, and --help, the page and the
// completion offer the same options (and none of the hidden ones).
#include <QDir>

#include "support/TestSupport.h"

using testsupport::MakeDir;
using testsupport::RunTool;
using testsupport::TempDir;
using testsupport::ToolRun;
using testsupport::WriteFile;

namespace {

QString Cli() { return testsupport::BinDir() + "/harrowmint-cli"; }

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

TEST(CliDocs, ManualPageReadsWithoutWarningsAndListsTheOptions) {
  HM_REQUIRE_TOOL("groff");
  const ToolRun page = RunTool(Cli(), {"--print-man"});
  ASSERT_EQ(page.exitCode, 0);
  TempDir dir;
  WriteFile(dir.file("harrowmint-cli.1"), page.out);
  const ToolRun rendered =
      RunTool("groff", {"-man", "-Tascii", "-P-cbou", "-ww", dir.file("harrowmint-cli.1")});
  EXPECT_EQ(rendered.exitCode, 0);
  EXPECT_EQ(rendered.err, "") << "groff warnings";
  const QString text = QString::fromUtf8(rendered.out);
  for (const QString& option : kShownOptions) EXPECT_TRUE(text.contains(option)) << option.toStdString();
  for (const QString& option : kHiddenOptions) EXPECT_FALSE(text.contains(option)) << option.toStdString();
  for (const char* section : {"SYNOPSIS", "OPTIONS", "EXIT STATUS", "FILES", "ENVIRONMENT"})
    EXPECT_TRUE(text.contains(section)) << section;
  EXPECT_TRUE(text.contains("--format rar|zip|7z")) << text.toStdString();
  EXPECT_TRUE(text.contains("$XDG_DATA_HOME/harrowmint")) << text.toStdString();
}

TEST(CliDocs, HelpListsTheSameOptions) {
  const ToolRun help = RunTool(Cli(), {"--help"});
  EXPECT_EQ(help.exitCode, 0);
  const QString text = QString::fromUtf8(help.out);
  for (const QString& option : kShownOptions) EXPECT_TRUE(text.contains(option)) << option.toStdString();
  for (const QString& option : kHiddenOptions) EXPECT_FALSE(text.contains(option)) << option.toStdString();
  EXPECT_TRUE(text.contains("  --format rar|zip|7z      output format\n")) << text.toStdString();
}

}  // namespace
