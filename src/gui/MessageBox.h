#pragma once
// Every message box of the program goes through here: topmost, titled "提示" with the
// information icon unless the caller says otherwise. Tests install a handler that answers the
// box (and records what it said) instead of showing it, so no box is ever left waiting.
#include <QMessageBox>
#include <QString>
#include <functional>

struct TMessage {
  QString text;
  QString title;
  QMessageBox::Icon icon = QMessageBox::Information;
  QMessageBox::StandardButtons buttons = QMessageBox::Ok;
};

namespace msgbox {

inline const QString DefaultTitle = QStringLiteral("提示");

// Shows the message modally and returns the button that closed it.
QMessageBox::StandardButton Show(QWidget* parent, const TMessage& message);

// The usual box: the text, "提示", information icon, OK.
void Info(QWidget* parent, const QString& text, const QString& title = DefaultTitle);
void Warning(QWidget* parent, const QString& text, const QString& title = DefaultTitle);
// The program's questions: OK and Cancel with the information icon; true unless Cancel.
bool Confirm(QWidget* parent, const QString& text, const QString& title = DefaultTitle);

// A warning the user did not ask for (a run's warnings and its end): shown once no other dialog
// is open, since a box that came up over one would take the key or click meant for it and be
// dismissed unread. Runs the event loop while it waits; returns when the box is closed, or
// without showing it when the application is quitting.
void UnpromptedWarning(QWidget* parent, const QString& text);

// Replaces showing: every box is handed to the handler, which answers it. An empty handler
// restores the real boxes. For tests.
using THandler = std::function<QMessageBox::StandardButton(const TMessage&)>;
void SetHandler(THandler handler);

}  // namespace msgbox
