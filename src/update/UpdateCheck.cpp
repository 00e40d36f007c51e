#include "update/UpdateCheck.h"

#include "update/LiveUpdate.h"
#include "update/TextLines.h"
#include "update/UpdateLog.h"

QStringList CheckAddresses(const QString& urls, const QString& softId) {
  QStringList addresses;
  for (QString line : SplitLines(urls)) addresses << line.replace(QStringLiteral("<SoftId>"), softId);
  return addresses;
}

TCheckResult CheckForUpdate(const reUpdate& params, const std::atomic<bool>* cancel) {
  TCheckResult result;
  TLiveUpdate live;
  live.SetCurrentVersion(GetVersion(params.Verison));
  bool loaded = false;
  for (const QString& address : CheckAddresses(params.UpdateUrl, params.SoftId)) {
    if (cancel && cancel->load()) break;
    if (live.LoadUpdate(address, cancel) == 1) {
      loaded = true;
      break;
    }
  }
  if (!loaded) {
    result.haveUpdate = kCheckFailed;
  } else if (live.HaveNewVer() >= 1) {
    result.haveUpdate = kUpdateFound;
    result.offer = live.Offer();
  } else {
    result.haveUpdate = kNoUpdate;
  }
  qCInfo(lcUpdate) << "update check for" << params.Verison << "ended with" << result.haveUpdate
                   << (loaded ? live.NewVerStr() : QString());
  return result;
}

TUpdateCheckThread::TUpdateCheckThread(QObject* parent) : QObject(parent) {}

TUpdateCheckThread::~TUpdateCheckThread() {
  cancel_ = true;
  if (thread_) thread_->wait();
}

bool TUpdateCheckThread::Start(const reUpdate& params) {
  if (busy_) return false;
  if (thread_) thread_->wait();  // a finished check's thread may still be winding down
  busy_ = true;
  cancel_ = false;
  thread_.reset(QThread::create([this, params] {
    const TCheckResult result = CheckForUpdate(params, &cancel_);
    // Runs on this object's thread; dropped when the object is gone by then.
    QMetaObject::invokeMethod(
        this,
        [this, result] {
          busy_ = false;
          Q_EMIT Finished(result);
        },
        Qt::QueuedConnection);
  }));
  thread_->start();
  return true;
}

void TUpdateCheckThread::Terminate() { cancel_ = true; }

bool TUpdateCheckThread::IsRunning() const { return busy_; }
