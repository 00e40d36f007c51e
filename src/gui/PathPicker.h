#pragma once
// The pickers of 添加文件 and 添加目录. A picker does not accept anything in its first moment on
// the screen: a Return typed ahead (or the second click of a double click) reaches it within
// milliseconds and would accept it at once, choosing its starting folder for a user who never
// saw it. The user's own choice, a moment later, is taken as usual.
#include <QElapsedTimer>
#include <QFileDialog>
#include <QStringList>

class TPathPicker : public QFileDialog {
 public:
  // How long after the picker comes on the screen an acceptance is ignored: well below the time
  // anyone takes to see a picker and choose in it.
  static constexpr int kSettleMs = 400;

  // ExistingFiles picks files, Directory one folder.
  TPathPicker(QWidget* parent, const QString& caption, FileMode mode);

  // Shows the picker modally. The chosen paths, each an existing file (or folder, in Directory
  // mode); nothing when the picker was cancelled.
  QStringList Choose();

  // The picker has been on the screen for kSettleMs: it takes an acceptance.
  bool settled() const { return onScreen_.isValid() && onScreen_.elapsed() >= kSettleMs; }

 protected:
  void accept() override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QElapsedTimer onScreen_;  // from the first exposure of the picker's window
};
