#pragma once
// TvxDownFile: downloads one address into one file over Qt Network, on the thread that owns it.
//
// Start asks for the size first (HEAD), then fetches the content with a Range request into the
// file and reports progress. It returns at once; the transfer runs in the owner's event loop.
// Every transfer that Start begins ends with OnDownEnd, exactly once; a failure sends OnError
// before it. A transfer counts as complete only when no error was recorded and the file holds as
// many bytes as the server announced, so a connection cut part-way is a failure.
#include <QElapsedTimer>
#include <QFile>
#include <QNetworkAccessManager>
#include <QObject>
#include <QString>
#include <memory>

class QNetworkReply;

class TvxDownFile : public QObject {
  Q_OBJECT
 public:
  explicit TvxDownFile(QObject* parent = nullptr);
  // A running transfer is abandoned without events; the partly written file stays.
  ~TvxDownFile() override;

  QString SavePath;

  QString Url() const { return url_; }
  // Also clears the error state.
  void SetUrl(const QString& url);

  // False when the target's folder cannot be created (after OnError "cannotcreatedir"). An
  // address that does not begin with "http" fails with OnError "geterror". Resume continues an
  // existing file from its last byte; without it the file ends up holding exactly the download.
  bool Start(bool Resume);
  // Asks a running transfer to stop; it ends at its next progress step, as a failure.
  void Stop();
  // A request that receives nothing for this long fails: the server stopped answering (30 s
  // unless set).
  void SetTransferTimeout(int ms) { transferTimeoutMs_ = ms; }

  bool IsRunning() const { return running_; }
  bool HaveError() const { return FHaveError; }
  // The size the server announced; 0 when it gave none.
  qint64 BytesToTransfer() const { return BytesToTransfer_; }
  // After a complete transfer: the address and every redirect were https, so Qt verified the
  // server's certificate (it is never told to ignore an error).
  bool CameOverVerifiedHttps() const { return verifiedHttps_; }

 Q_SIGNALS:
  void OnDownBegin(qint64 size);
  // percent is -1 when the size is not known; speed in bytes per second.
  void OnDown(qint64 downSize, qint64 fileSize, int percent, qint64 speed, qint64 elapsedMs);
  void OnDownEnd(bool isDownComplete);
  void OnError(const QString& ErrorId, const QString& ErrorStr);

 private:
  struct TReplyDeleter {
    void operator()(QNetworkReply* reply) const;
  };
  using TReply = std::unique_ptr<QNetworkReply, TReplyDeleter>;

  void SizeKnown();
  void WriteFrom(QNetworkReply& reply);
  void Progress(qint64 received);
  void TransferEnded();
  // Records the failure, sends OnError and ends the transfer.
  void Fail(const QString& id, const QString& reason);
  void End();
  QNetworkRequest Request() const;
  // Why a request failed, in words for the user.
  QString FailureText(const QNetworkReply& reply) const;

  QString url_;
  int transferTimeoutMs_;
  QNetworkAccessManager manager_;
  TReply head_;
  TReply get_;
  QFile file_;
  bool resume_ = false;
  qint64 start_ = 0;  // file position of the first byte fetched
  qint64 BytesToTransfer_ = 0;
  qint64 lastDownSize = 0;
  qint64 lastDownTime = 0;
  QElapsedTimer BeginDownTime;
  QString writeError_;
  bool placed_ = false;  // the writes' position is fixed
  bool AbortTransfer = false;
  bool FHaveError = false;
  bool running_ = false;
  bool verifiedHttps_ = false;
};
