#include "update/UpdateFailureNote.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include "update/UpdateLog.h"
#include "update/UpdateTexts.h"

namespace {

QString NotePath(const QString& programFolder) { return programFolder + QStringLiteral("update/failed.txt"); }

}  // namespace

bool NoteUpdateFailure(const QString& programFolder, const QString& cause) {
  qCWarning(lcUpdate).noquote() << "update not installed:" << cause;
  QDir().mkpath(programFolder + QStringLiteral("update"));
  QSaveFile note(NotePath(programFolder));
  if (note.open(QIODevice::WriteOnly) && note.write((TUpdateText::UpdateFailed + cause).toUtf8()) >= 0 &&
      note.commit())
    return true;
  qCWarning(lcUpdate) << "cannot leave the failure for the program at" << note.fileName();
  return false;
}

QString TakeUpdateFailure(const QString& programFolder) {
  QFile note(NotePath(programFolder));
  if (!note.open(QIODevice::ReadOnly)) return {};
  const QString line = QString::fromUtf8(note.readAll()).trimmed();
  note.close();
  note.remove();
  return line;
}
