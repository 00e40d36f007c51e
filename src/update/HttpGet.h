#pragma once
// A blocking HTTP(S) GET for threads that are not the window thread (the update check). Runs its
// own event loop while it waits, so the calling thread needs none.
#include <QByteArray>
#include <QString>
#include <atomic>

struct THttpGetResult {
  bool ok = false;
  QByteArray body;
  QString error;  // why not, for the log
};

struct THttpGetLimits {
  int timeoutMs = 15000;              // without progress for this long, the request fails
  qint64 maxBytes = 4 * 1024 * 1024;  // a larger answer is not what was asked for
};

// Only http and https addresses are fetched. Redirects are followed unless they lead from
// https to http. A status of 400 or above, a time-out, a larger answer than the limit, or a set
// cancel flag (checked every few milliseconds) fails.
THttpGetResult HttpGet(const QString& address, const THttpGetLimits& limits = {},
                       const std::atomic<bool>* cancel = nullptr);

// Whether the address is one the update check and download fetch: it begins with "http" in any
// letter case.
bool IsHttpAddress(const QString& address);
