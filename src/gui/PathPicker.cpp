#include "gui/PathPicker.h"

#include <QEvent>
#include <QFileInfo>
#include <QWindow>

TPathPicker::TPathPicker(QWidget* parent, const QString& caption, FileMode mode)
    : QFileDialog(parent, caption) {
  setFileMode(mode);
  if (mode == Directory) setOption(ShowDirsOnly);
}

QStringList TPathPicker::Choose() {
  winId();  // the native window, so that its exposure can be watched from the start
  windowHandle()->installEventFilter(this);
  if (exec() != Accepted) return {};
  QStringList chosen;
  for (const QString& path : selectedFiles()) {
    const QFileInfo info(path);
    if (fileMode() == Directory ? info.isDir() : info.isFile()) chosen << path;
  }
  return chosen;
}

bool TPathPicker::eventFilter(QObject* watched, QEvent* event) {
  if (watched == windowHandle() && event->type() == QEvent::Expose && windowHandle()->isExposed() &&
      !onScreen_.isValid())
    onScreen_.start();
  return QFileDialog::eventFilter(watched, event);
}

void TPathPicker::accept() {
  // Ignored, not refused: the picker stays and waits for the user's own choice.
  if (!settled()) return;
  QFileDialog::accept();
}
