// harrowmint: the desktop program. Arguments: [--home DIR] [--start [--quit-when-done]] [PATH...];
// the paths start in the list, or go to the window already running from the same program folder.
#include <QApplication>
#include <QFileInfo>
#include <QLocale>
#include <QTranslator>
#include <cstdio>
#include <cstring>
#include <optional>

#include "cli/CliDocs.h"
#include "gui/InstanceChannel.h"
#include "gui/MainWindow.h"
#include "gui/MessageBox.h"
#include "gui/Theme.h"
#include "util/SystemInfo.h"

namespace {

// With --quit-when-done the program ends with the run's status instead: 0 every item made a
// plausible archive, 1 some did not, 2 the run could not start.
enum TExitCode { ecOk = 0, ecAlreadyRunning = 1, ecUsage = 2 };

// The options that only print a text, answered before the window system is touched: they work
// without a display. None: the program starts.
std::optional<int> PrintText(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const char* argument = argv[i];
    if (std::strcmp(argument, "--home") == 0) {
      ++i;  // its folder
    } else if (std::strcmp(argument, "--version") == 0) {
      std::printf("harrowmint %s\n", qUtf8Printable(ProgramVersionText()));
      return ecOk;
    } else if (std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "-h") == 0) {
      std::fputs(qUtf8Printable(WindowUsage()), stdout);
      return ecOk;
    } else if (std::strcmp(argument, "--print-man") == 0) {
      std::fputs(qUtf8Printable(WindowManPage()), stdout);
      return ecOk;
    }
  }
  return std::nullopt;
}

// Unattended use: nobody is there to answer a box.
void AnswerMessagesOnStandardError() {
  msgbox::SetHandler([](const TMessage& message) {
    std::fprintf(stderr, "%s: %s\n", qUtf8Printable(message.title), qUtf8Printable(message.text));
    return (message.buttons & QMessageBox::Cancel) ? QMessageBox::Cancel : QMessageBox::Ok;
  });
}

// A translation in the translations folder (harrowmint_<locale>.qm) replaces the Chinese texts.
void InstallTranslation(QApplication& app, const TProgramPaths& paths) {
  auto* translator = new QTranslator(&app);
  if (translator->load(QLocale(), QStringLiteral("harrowmint"), QStringLiteral("_"),
                       paths.translationsFolder()))
    app.installTranslator(translator);
}

int UsageError(const QString& why) {
  std::fprintf(stderr, "harrowmint: %s\n\n%s", qUtf8Printable(why), qUtf8Printable(WindowUsage()));
  return ecUsage;
}

}  // namespace

int main(int argc, char** argv) {
  if (const std::optional<int> code = PrintText(argc, argv)) return *code;
  // Qt 6 scales every window by its screen's device pixel ratio by itself.
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Harrowmint"));
  QApplication::setDesktopFileName(QStringLiteral("harrowmint"));

  QStringList arguments = app.arguments().mid(1);
  const TProgramPaths paths = TProgramPaths::FromArguments(arguments);
  THandedPaths given;
  bool quitWhenDone = false;
  for (const QString& argument : arguments) {
    if (argument == QLatin1String("--start")) {
      given.start = true;
    } else if (argument == QLatin1String("--quit-when-done")) {
      quitWhenDone = true;
    } else if (argument.startsWith('-')) {
      return UsageError(QStringLiteral("unknown option ") + argument);
    } else {
      given.paths << QFileInfo(argument).absoluteFilePath();
    }
  }
  if (quitWhenDone && !given.start) return UsageError(QStringLiteral("--quit-when-done needs --start"));
  if (qgetenv("HARROWMINT_MESSAGES") == "stderr") AnswerMessagesOnStandardError();

  // A window of this program folder runs already: it takes the paths. Without paths, or when it
  // does not answer, this start goes on and the window's lock decides.
  if (!given.paths.isEmpty() && TInstanceChannel::HandOver(paths.programFolder(), given)) return ecOk;

  theme::Apply(app);
  InstallTranslation(app, paths);
  Tfrmmain window(paths);
  // A forced update handed over before the window was shown: the updater takes it from here.
  if (window.updateHandedOver()) return ecOk;
  window.AddPaths(given.paths);
  if (given.start) window.StartWhenShown(quitWhenDone);
  window.show();
  const int code = app.exec();
  if (window.refusedAsSecondInstance()) return ecAlreadyRunning;
  return quitWhenDone ? window.lastRunStatus() : code;
}
