#include "gui/MessageBox.h"

#include <QMutex>
#include <QMutexLocker>

namespace msgbox {
namespace {

QMutex handlerMutex;
THandler& Handler() {
  static THandler handler;
  return handler;
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

void SetHandler(THandler handler) {
  QMutexLocker lock(&handlerMutex);
  Handler() = std::move(handler);
}

}  // namespace msgbox
