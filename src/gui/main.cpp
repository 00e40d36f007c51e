// harrowmint: the desktop program. Arguments: [--home DIR] [PATH...]; the paths start in the list.
#include <QApplication>
#include <QFileInfo>
#include <QLocale>
#include <QTranslator>
#include <cstdio>

#include "gui/MainWindow.h"
#include "gui/MessageBox.h"
#include "gui/Theme.h"
#include "util/SystemInfo.h"

namespace {

enum TExitCode { ecOk = 0, ecAlreadyRunning = 1, ecUsage = 2 };

QString Usage() {
  return QStringLiteral(
      "Usage: harrowmint [--home DIR] [PATH...]\n"
      "  --home DIR  use DIR as the program folder (data, engines, temp root)\n"
      "  PATH...     archives, folders and files to put in the list\n"
      "  --version   print the version\n"
      "Environment: HARROWMINT_MESSAGES=stderr writes every message box to standard error and\n"
      "answers it (OK, or Cancel to a question) instead of showing it, for unattended use.\n");
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

}  // namespace

int main(int argc, char** argv) {
  // Qt 6 scales every window by its screen's device pixel ratio by itself.
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Harrowmint"));
  QApplication::setDesktopFileName(QStringLiteral("harrowmint"));

  QStringList arguments = app.arguments().mid(1);
  const TProgramPaths paths = TProgramPaths::FromArguments(arguments);
  for (const QString& argument : arguments) {
    if (argument == QLatin1String("--version")) {
      std::printf("harrowmint %s\n", qUtf8Printable(ProgramVersionText()));
      return ecOk;
    }
    if (argument == QLatin1String("--help")) {
      std::fputs(qUtf8Printable(Usage()), stdout);
      return ecOk;
    }
    if (argument.startsWith('-')) {
      std::fprintf(stderr, "harrowmint: unknown option %s\n\n%s", qUtf8Printable(argument),
                   qUtf8Printable(Usage()));
      return ecUsage;
    }
  }
  if (qgetenv("HARROWMINT_MESSAGES") == "stderr") AnswerMessagesOnStandardError();

  theme::Apply(app);
  InstallTranslation(app, paths);
  Tfrmmain window(paths);
  // A forced update handed over before the window was shown: the updater takes it from here.
  if (window.updateHandedOver()) return ecOk;
  for (const QString& path : arguments) window.ListView1->AddPath(QFileInfo(path).absoluteFilePath());
  window.show();
  const int code = app.exec();
  return window.refusedAsSecondInstance() ? ecAlreadyRunning : code;
}
