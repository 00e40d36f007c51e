#pragma once
// Answers every message box of a test and keeps what each said. Installed for the recorder's
// lifetime; boxes are answered with `answer` (OK, or Yes for questions by default).
#include <QList>

#include "gui/MessageBox.h"

class TMessageRecorder {
 public:
  explicit TMessageRecorder(QMessageBox::StandardButton answer = QMessageBox::NoButton) : answer_(answer) {
    msgbox::SetHandler([this](const TMessage& m) {
      messages_.append(m);
      if (answer_ != QMessageBox::NoButton) return answer_;
      return (m.buttons & QMessageBox::Yes) ? QMessageBox::Yes : QMessageBox::Ok;
    });
  }
  ~TMessageRecorder() { msgbox::SetHandler({}); }
  TMessageRecorder(const TMessageRecorder&) = delete;
  TMessageRecorder& operator=(const TMessageRecorder&) = delete;

  void SetAnswer(QMessageBox::StandardButton answer) { answer_ = answer; }
  const QList<TMessage>& messages() const { return messages_; }
  QStringList texts() const {
    QStringList result;
    for (const TMessage& m : messages_) result << m.text;
    return result;
  }
  void clear() { messages_.clear(); }

 private:
  QMessageBox::StandardButton answer_;
  QList<TMessage> messages_;
};
