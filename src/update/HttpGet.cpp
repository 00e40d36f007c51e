#include "update/HttpGet.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTimer>
#include <QUrl>
#include <memory>

namespace {
constexpr int kCancelPollMs = 50;
}  // namespace

bool IsHttpAddress(const QString& address) {
  return address.startsWith(QLatin1String("http"), Qt::CaseInsensitive);
}

THttpGetResult HttpGet(const QString& address, const THttpGetLimits& limits,
                       const std::atomic<bool>* cancel) {
  THttpGetResult result;
  const QUrl url(address.trimmed());
  const QString scheme = url.scheme().toLower();
  if (!url.isValid() || (scheme != u"http" && scheme != u"https")) {
    result.error = QStringLiteral("not an http or https address");
    return result;
  }

  QNetworkAccessManager manager;
  QNetworkRequest request(url);
  request.setTransferTimeout(limits.timeoutMs);
  request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
  std::unique_ptr<QNetworkReply> reply(manager.get(request));

  QEventLoop loop;
  QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
  bool tooLarge = false;
  QObject::connect(reply.get(), &QNetworkReply::downloadProgress, &loop, [&](qint64 received, qint64) {
    if (received > limits.maxBytes) {
      tooLarge = true;
      reply->abort();
    }
  });
  QTimer poll;
  if (cancel) {
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
      if (cancel->load()) reply->abort();
    });
    poll.start(kCancelPollMs);
  }
  if (!reply->isFinished()) loop.exec();

  if (tooLarge) {
    result.error = QStringLiteral("the answer is larger than %1 bytes").arg(limits.maxBytes);
  } else if (reply->error() != QNetworkReply::NoError) {
    result.error = reply->errorString();
  } else {
    result.ok = true;
    result.body = reply->readAll();
  }
  return result;
}
