#include "gui/MessageBox.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QMutex>
#include <QMutexLocker>
#include <QPointer>

namespace msgbox {
namespace {

QMutex handlerMutex;
THandler& Handler() {
  static THandler handler;
  return handler;
}

// Ends a wait once the dialog is hidden or gone. Queued, so that the dialog has left the modal
// stack by the time the waiter looks again.
class TDialogCloseWatch : public QObject {
 public:
  TDialogCloseWatch(QWidget* dialog, QEventLoop& wait) : dialog_(dialog), wait_(wait) {
    dialog->installEventFilter(this);
    connect(dialog, &QObject::destroyed, this, &TDialogCloseWatch::EndWait);
  }
  ~TDialogCloseWatch() override {
    if (dialog_) dialog_->removeEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == dialog_ && event->type() == QEvent::Hide) EndWait();
    return false;
  }

 private:
  void EndWait() {
    QMetaObject::invokeMethod(
        &wait_, [wait = &wait_] { wait->quit(); }, Qt::QueuedConnection);
  }

  QPointer<QWidget> dialog_;
  QEventLoop& wait_;
};

// Returns once no modal dialog is open, running the event loop meanwhile; false when it stopped
// waiting because the application is quitting.
bool WaitForOpenDialogs() {
  while (QWidget* dialog = QApplication::activeModalWidget()) {
    if (!dialog->isVisible()) break;
    QEventLoop wait;
    const TDialogCloseWatch watch(dialog, wait);
    // A quitting application ends every loop, and at once (with -1) each one started after.
    if (wait.exec() != 0) return false;
  }
  return true;
}

}  // namespace

QMessageBox::StandardButton Show(QWidget* parent, const TMessage& message) {
  THandler handler;
  {
    QMutexLocker lock(&handlerMutex);
    handler = Handler();
  }
  if (handler) return handler(message);

  QMessageBox box(message.icon, message.title, message.text, message.buttons, parent);
  box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
  return QMessageBox::StandardButton(box.exec());
}

void Info(QWidget* parent, const QString& text, const QString& title) {
  Show(parent, {text, title, QMessageBox::Information, QMessageBox::Ok});
}

void Warning(QWidget* parent, const QString& text, const QString& title) {
  Show(parent, {text, title, QMessageBox::Warning, QMessageBox::Ok});
}

bool Confirm(QWidget* parent, const QString& text, const QString& title) {
  return Show(parent, {text, title, QMessageBox::Information, QMessageBox::Ok | QMessageBox::Cancel}) !=
         QMessageBox::Cancel;
}

void UnpromptedWarning(QWidget* parent, const QString& text) {
  if (WaitForOpenDialogs()) Warning(parent, text);
}

void SetHandler(THandler handler) {
  QMutexLocker lock(&handlerMutex);
  Handler() = std::move(handler);
}

}  // namespace msgbox
