// Handing files, folders and links to the desktop. Qt Gui is not linked here, so the freedesktop
// tools are run as programs (never through a shell).
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

#include "util/FileOps.h"
#include "util/Process.h"

namespace {

// Opens the target with xdg-open without waiting for the handler it starts.
int OpenWithDesktop(const QString& target, const QString& workDir) {
  const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
  if (opener.isEmpty()) return kShellNoHandler;
  const int code = RunAndWait(opener, QStringList{target}, workDir, false);
  return (code == kStillActive || code == 0) ? kShellOk : kShellNoHandler;
}

QString FileUri(const QString& path) {
  return QStringLiteral("file://") + QString::fromLatin1(QUrl::toPercentEncoding(path, "/"));
}

// org.freedesktop.FileManager1.ShowItems through gdbus, else dbus-send. The URI is fully
// percent-encoded, so it needs no quoting inside either tool's argument syntax.
bool ShowItemWithFileManager(const QString& path) {
  const QString uri = FileUri(path);
  const QString service = QStringLiteral("org.freedesktop.FileManager1");
  const QString object = QStringLiteral("/org/freedesktop/FileManager1");
  const QString method = service + QStringLiteral(".ShowItems");
  const struct {
    const char* tool;
    QStringList args;
  } callers[] = {
      {"gdbus",
       {"call", "--session", "--timeout", "5", "--dest", service, "--object-path", object, "--method", method,
        "['" + uri + "']", "''"}},
      {"dbus-send",
       {"--session", "--print-reply", "--reply-timeout=5000", "--dest=" + service, "--type=method_call",
        object, method, "array:string:" + uri, "string:"}},
  };
  for (const auto& caller : callers) {
    const QString program = QStandardPaths::findExecutable(QString::fromLatin1(caller.tool));
    if (!program.isEmpty() && RunAndWait(program, caller.args, FolderPart(path), true) == 0) return true;
  }
  return false;
}

}  // namespace

int OpenWithShell(const QString& path) {
  if (!QFileInfo::exists(path)) return kShellFileNotFound;
  return OpenWithDesktop(path, FolderPart(path));
}

int OpenWithShellArgs(const QString& path, const QString& parameters) {
  const QFileInfo info(path);
  if (!info.exists()) return kShellFileNotFound;
  if (info.isFile() && info.isExecutable()) {
    const int code = RunAndWait(path, parameters, FolderPart(path), kSwShowNormal, false);
    return code == kStartFailed ? kShellNoHandler : kShellOk;
  }
  return OpenWithDesktop(path, FolderPart(path));
}

int ShellOpen(const QString& target) { return OpenWithDesktop(target, QString()); }

int ShowInExplorer(const QString& path) {
  const QString file = CollapseDoubledSeparators(path);
  if (!QFileInfo::exists(file)) return kShellFileNotFound;
  if (ShowItemWithFileManager(file)) return kShellOk;
  const QString folder = FolderPart(file);
  return OpenWithDesktop(folder.isEmpty() ? QStringLiteral(".") : folder, folder);
}
