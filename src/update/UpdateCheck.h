#pragma once
// The update check: the first description address that loads decides whether a newer version
// exists. It runs off the window thread; TUpdateCheckThread reports back on the thread that
// started it.
#include <QObject>
#include <QString>
#include <QStringList>
#include <QThread>
#include <atomic>
#include <memory>

#include "update/UpdateParams.h"

// The addresses of a check in order: one per non-empty line, every "<SoftId>" (case-sensitive)
// replaced by softId.
QStringList CheckAddresses(const QString& urls, const QString& softId);

// Blocking. haveUpdate is kCheckFailed when no address loads, kUpdateFound with the offer when the
// description is newer than params.Verison, else kNoUpdate. A set cancel flag ends it early
// (as a failed check).
TCheckResult CheckForUpdate(const reUpdate& params, const std::atomic<bool>* cancel = nullptr);

class TUpdateCheckThread : public QObject {
  Q_OBJECT
 public:
  explicit TUpdateCheckThread(QObject* parent = nullptr);
  // Asks a running check to end and waits for it; its result is dropped.
  ~TUpdateCheckThread() override;

  // Starts a check on a new thread; false while one still runs.
  bool Start(const reUpdate& params);
  // Asks a running check to end; Finished still comes, with kCheckFailed.
  void Terminate();
  // From Start until Finished has been sent.
  bool IsRunning() const;

 Q_SIGNALS:
  // On the thread that called Start.
  void Finished(const TCheckResult& result);

 private:
  std::atomic<bool> cancel_{false};
  bool busy_ = false;  // owner's thread only
  std::unique_ptr<QThread> thread_;
};
