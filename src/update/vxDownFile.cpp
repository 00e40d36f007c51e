#include "update/vxDownFile.h"

#include <QDir>
#include <QFileInfo>
#include <QNetworkReply>

#include "update/HttpGet.h"
#include "update/TransferFigures.h"
#include "update/UpdateLog.h"
#include "update/UpdateTexts.h"

namespace {

constexpr int kTransferTimeoutMs = 30000;
constexpr int kStatusPartialContent = 206;

bool IsHttps(const QUrl& url) {
  return url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0;
}

}  // namespace

void TvxDownFile::TReplyDeleter::operator()(QNetworkReply* reply) const {
  // Replies may be let go inside their own signals.
  reply->disconnect();
  reply->abort();
  reply->deleteLater();
}

TvxDownFile::TvxDownFile(QObject* parent) : QObject(parent), transferTimeoutMs_(kTransferTimeoutMs) {}

TvxDownFile::~TvxDownFile() {
  head_.reset();
  get_.reset();
}

void TvxDownFile::SetUrl(const QString& url) {
  url_ = url;
  FHaveError = false;
}

QNetworkRequest TvxDownFile::Request() const {
  QNetworkRequest request(QUrl(url_.trimmed()));
  request.setTransferTimeout(transferTimeoutMs_);
  request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
  return request;
}

bool TvxDownFile::Start(bool Resume) {
  if (running_) return true;
  FHaveError = false;
  AbortTransfer = false;
  verifiedHttps_ = false;
  writeError_.clear();
  resume_ = Resume;
  BytesToTransfer_ = 0;
  running_ = true;
  if (!QDir().mkpath(QFileInfo(SavePath).absolutePath())) {
    Fail(TUpdateText::CannotCreateDirId, TUpdateText::CannotCreateDir);
    return false;
  }
  if (!IsHttpAddress(url_)) {
    Fail(TUpdateText::GetErrorId, TUpdateText::GetErrorPrefix + TUpdateText::UnsupportedAddress);
    return true;
  }
  head_.reset(manager_.head(Request()));
  connect(head_.get(), &QNetworkReply::finished, this, &TvxDownFile::SizeKnown);
  return true;
}

void TvxDownFile::Stop() { AbortTransfer = true; }

QString TvxDownFile::FailureText(const QNetworkReply& reply) const {
  // Only the transfer timeout and Stop cancel a request here.
  if (reply.error() == QNetworkReply::OperationCanceledError && !AbortTransfer)
    return TUpdateText::ServerStopped;
  return reply.errorString();
}

void TvxDownFile::SizeKnown() {
  const TReply head = std::move(head_);
  if (head->error() != QNetworkReply::NoError) {
    Fail(TUpdateText::GetErrorId, TUpdateText::GetErrorPrefix + FailureText(*head));
    return;
  }
  const QVariant length = head->header(QNetworkRequest::ContentLengthHeader);
  BytesToTransfer_ = length.isValid() ? length.toLongLong() : 0;

  file_.setFileName(SavePath);
  if (!file_.open(QIODevice::ReadWrite)) {
    Fail(TUpdateText::GetErrorId, TUpdateText::GetErrorPrefix + file_.errorString());
    return;
  }
  start_ = RangeStart(resume_, file_.size());
  QNetworkRequest request = Request();
  request.setRawHeader("Range", RangeHeader(resume_, file_.size(), BytesToTransfer_));
  if (start_ == 0) file_.resize(0);

  AbortTransfer = false;
  lastDownSize = start_;
  lastDownTime = 0;
  BeginDownTime.start();
  placed_ = false;
  Q_EMIT OnDownBegin(BytesToTransfer_);

  get_.reset(manager_.get(request));
  connect(get_.get(), &QNetworkReply::readyRead, this, [this] { WriteFrom(*get_); });
  connect(get_.get(), &QNetworkReply::downloadProgress, this, &TvxDownFile::Progress);
  connect(get_.get(), &QNetworkReply::finished, this, &TvxDownFile::TransferEnded);
}

void TvxDownFile::WriteFrom(QNetworkReply& reply) {
  if (!placed_) {
    // Placed at the first bytes of the final answer, after any redirect. A server that ignores
    // the range sends everything: then the file starts over.
    placed_ = true;
    const int status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (start_ > 0 && status != kStatusPartialContent) {
      start_ = 0;
      file_.resize(0);
    }
    file_.seek(start_);
  }
  const QByteArray data = reply.readAll();
  if (!writeError_.isEmpty()) return;
  if (file_.write(data) != data.size()) {
    writeError_ = file_.errorString();
    reply.abort();
  }
}

void TvxDownFile::Progress(qint64 received) {
  if (!get_) return;
  if (AbortTransfer) {
    get_->abort();
    return;
  }
  const qint64 downSize = start_ + received;
  const qint64 now = BeginDownTime.elapsed();
  const qint64 speed = TransferSpeed(downSize, lastDownSize, now, lastDownTime);
  lastDownSize = downSize;
  lastDownTime = now;
  Q_EMIT OnDown(downSize, BytesToTransfer_, TransferPercent(downSize, BytesToTransfer_), speed, now);
}

void TvxDownFile::TransferEnded() {
  const TReply get = std::move(get_);
  if (get->error() == QNetworkReply::NoError) WriteFrom(*get);
  file_.close();
  if (!writeError_.isEmpty()) {
    Fail(TUpdateText::GetErrorId, TUpdateText::GetErrorPrefix + writeError_);
  } else if (get->error() != QNetworkReply::NoError) {
    Fail(TUpdateText::GetErrorId, TUpdateText::GetErrorPrefix + FailureText(*get));
  } else if (BytesToTransfer_ > 0 && QFileInfo(SavePath).size() != BytesToTransfer_) {
    qCWarning(lcUpdate) << "download of" << url_ << "ended at" << QFileInfo(SavePath).size() << "of"
                        << BytesToTransfer_ << "bytes";
    Fail(TUpdateText::GetErrorId, TUpdateText::GetErrorPrefix + TUpdateText::TransferCut);
  } else {
    verifiedHttps_ = IsHttps(get->request().url()) && IsHttps(get->url());
    End();
  }
}

void TvxDownFile::Fail(const QString& id, const QString& reason) {
  qCWarning(lcUpdate) << "download of" << url_ << "failed:" << id << reason;
  FHaveError = true;
  head_.reset();
  get_.reset();
  file_.close();
  Q_EMIT OnError(id, reason);
  End();
}

void TvxDownFile::End() {
  if (!running_) return;
  running_ = false;
  Q_EMIT OnDownEnd(!FHaveError);
}
