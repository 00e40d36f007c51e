#pragma once
// Paths handed from a second start of the program to the window already running from the same
// program folder: that window listens on a local socket beside its instance lock (only while it
// holds the lock), and a second start that brings paths connects, sends them with whether to
// start them, and ends once the window has taken them. Only the user's own processes can connect.
#include <QLocalServer>
#include <QObject>
#include <QString>
#include <QStringList>

struct THandedPaths {
  QStringList paths;   // absolute, in the order given
  bool start = false;  // start them as soon as the window is idle (--start)
};

class TInstanceChannel : public QObject {
  Q_OBJECT

 public:
  explicit TInstanceChannel(const QString& programFolder, QObject* parent = nullptr);

  // Listens for later starts. The caller holds the program folder's instance lock, so a socket a
  // killed program left behind is its to replace. False when it cannot listen (logged).
  bool Listen();

  // A second start: hands the paths to the window of the program folder and returns true once
  // that window has taken them; false when no window listens or it did not answer in time.
  static bool HandOver(const QString& programFolder, const THandedPaths& handed, int timeoutMs = 10000);
  // The socket's path, beside the instance lock file.
  static QString ServerName(const QString& programFolder);

 Q_SIGNALS:
  void PathsHanded(const THandedPaths& handed);

 private:
  void Serve(class QLocalSocket* socket);

  QString name_;
  QLocalServer server_;
};
