#pragma once
// A small HTTP/1.1 server on 127.0.0.1 for the update tests, on its own thread so that a test may
// block its own. It serves fixed routes (HEAD, GET, byte ranges), can cut a transfer part-way or
// send it slowly, and records the requests it saw. With a TLS configuration it speaks HTTPS.
#include <QByteArray>
#include <QMap>
#include <QMutex>
#include <QSslConfiguration>
#include <QString>
#include <QStringList>
#include <memory>

class QThread;
class QObject;
class QTcpServer;

struct THttpRoute {
  QByteArray body;
  int status = 200;
  QByteArray location;       // for a redirect status
  bool acceptRanges = true;  // answer a Range request with 206 and the slice
  bool headAllowed = true;   // else HEAD gets 405
  qint64 cutAfter = -1;      // close the connection after this many body bytes (all are announced)
  qint64 stallAfter = -1;    // send this many body bytes, then nothing more, the connection open
  int chunkDelayMs = 0;      // send the body in chunks with this pause between them
  qint64 chunkSize = 16 * 1024;
};

class TLoopbackHttpServer {
 public:
  // With tls, every connection is HTTPS with that configuration.
  explicit TLoopbackHttpServer(const QSslConfiguration* tls = nullptr);
  ~TLoopbackHttpServer();
  TLoopbackHttpServer(const TLoopbackHttpServer&) = delete;
  TLoopbackHttpServer& operator=(const TLoopbackHttpServer&) = delete;

  // "http://127.0.0.1:port" + path (https with tls).
  QString Url(const QString& path) const;
  void Serve(const QString& path, const THttpRoute& route);
  void Serve(const QString& path, const QByteArray& body) {
    THttpRoute route;
    route.body = body;
    Serve(path, route);
  }
  // "HEAD /path" or "GET /path", followed by " Range=..." when one was asked.
  QStringList Requests() const;

  // An address on 127.0.0.1 where nothing listens.
  static QString RefusingUrl(const QString& path);

 private:
  struct TState;
  void Answer(QObject* socket, const QByteArray& request);

  std::unique_ptr<TState> state_;
};
