#include "LoopbackHttpServer.h"

#include <QMutexLocker>
#include <QSslServer>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>

struct TLoopbackHttpServer::TState {
  QThread thread;
  QObject* context = nullptr;  // lives on the thread
  QTcpServer* server = nullptr;
  quint16 port = 0;
  bool tls = false;
  mutable QMutex mutex;
  QMap<QString, THttpRoute> routes;
  QStringList requests;
};

namespace {

QByteArray ReasonOf(int status) {
  switch (status) {
    case 200:
      return "OK";
    case 206:
      return "Partial Content";
    case 301:
      return "Moved Permanently";
    case 302:
      return "Found";
    case 404:
      return "Not Found";
    case 405:
      return "Method Not Allowed";
    case 416:
      return "Range Not Satisfiable";
    default:
      return "Status";
  }
}

// "bytes=a-b" or "bytes=a-" against a body of size; false when there is no usable range.
bool ParseRange(const QByteArray& header, qint64 size, qint64* first, qint64* last) {
  if (!header.startsWith("bytes=")) return false;
  const QList<QByteArray> ends = header.mid(6).split('-');
  if (ends.size() != 2 || ends[0].isEmpty()) return false;
  *first = ends[0].toLongLong();
  *last = ends[1].isEmpty() ? size - 1 : std::min(ends[1].toLongLong(), size - 1);
  return *first <= *last;
}

// Sends the body from `from`, chunk by chunk when slow, then closes.
void SendBody(QTcpSocket* socket, std::shared_ptr<QByteArray> body, const THttpRoute& route) {
  if (route.chunkDelayMs <= 0 || body->isEmpty()) {
    socket->write(*body);
    socket->disconnectFromHost();
    return;
  }
  const qint64 chunk = route.chunkSize;
  auto offset = std::make_shared<qint64>(0);
  auto* timer = new QTimer(socket);
  QObject::connect(timer, &QTimer::timeout, socket, [socket, body, offset, chunk, timer] {
    if (socket->state() != QAbstractSocket::ConnectedState) {
      timer->stop();
      return;
    }
    socket->write(body->mid(*offset, chunk));
    *offset += chunk;
    if (*offset >= body->size()) {
      timer->stop();
      socket->disconnectFromHost();
    }
  });
  timer->start(route.chunkDelayMs);
}

}  // namespace

TLoopbackHttpServer::TLoopbackHttpServer(const QSslConfiguration* tls) : state_(std::make_unique<TState>()) {
  state_->thread.start();
  state_->context = new QObject;
  state_->context->moveToThread(&state_->thread);
  state_->tls = tls != nullptr;
  const QSslConfiguration configuration = tls ? *tls : QSslConfiguration();
  QMetaObject::invokeMethod(
      state_->context,
      [this, configuration] {
        if (state_->tls) {
          auto* server = new QSslServer(state_->context);
          server->setSslConfiguration(configuration);
          state_->server = server;
        } else {
          state_->server = new QTcpServer(state_->context);
        }
        state_->server->listen(QHostAddress::LocalHost, 0);
        state_->port = state_->server->serverPort();
        QObject::connect(state_->server, &QTcpServer::pendingConnectionAvailable, state_->context, [this] {
          while (QTcpSocket* socket = state_->server->nextPendingConnection()) {
            auto buffer = std::make_shared<QByteArray>();
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, buffer] {
              if (buffer->contains("\r\n\r\n")) return;  // one request per connection
              buffer->append(socket->readAll());
              if (buffer->contains("\r\n\r\n")) Answer(socket, *buffer);
            });
          }
        });
      },
      Qt::BlockingQueuedConnection);
}

TLoopbackHttpServer::~TLoopbackHttpServer() {
  QMetaObject::invokeMethod(
      state_->context, [this] { delete state_->context; }, Qt::BlockingQueuedConnection);
  state_->thread.quit();
  state_->thread.wait();
}

QString TLoopbackHttpServer::Url(const QString& path) const {
  return QStringLiteral("%1://127.0.0.1:%2%3")
      .arg(state_->tls ? "https" : "http")
      .arg(state_->port)
      .arg(path);
}

void TLoopbackHttpServer::Serve(const QString& path, const THttpRoute& route) {
  QMutexLocker lock(&state_->mutex);
  state_->routes[path] = route;
}

QStringList TLoopbackHttpServer::Requests() const {
  QMutexLocker lock(&state_->mutex);
  return state_->requests;
}

QString TLoopbackHttpServer::RefusingUrl(const QString& path) {
  QTcpServer probe;
  probe.listen(QHostAddress::LocalHost, 0);
  const quint16 port = probe.serverPort();
  probe.close();
  return QStringLiteral("http://127.0.0.1:%1%2").arg(port).arg(path);
}

void TLoopbackHttpServer::Answer(QObject* context, const QByteArray& request) {
  auto* socket = static_cast<QTcpSocket*>(context);
  const QList<QByteArray> lines = request.left(request.indexOf("\r\n\r\n")).split('\n');
  const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
  const QByteArray method = first.value(0);
  const QString path = QString::fromLatin1(first.value(1).split('?').value(0));
  QByteArray range;
  for (const QByteArray& line : lines)
    if (line.toLower().startsWith("range:")) range = line.mid(6).trimmed();

  THttpRoute route;
  bool known = false;
  {
    QMutexLocker lock(&state_->mutex);
    state_->requests << QString::fromLatin1(method + ' ') + path +
                            (range.isEmpty() ? QString()
                                             : QStringLiteral(" Range=") + QString::fromLatin1(range));
    known = state_->routes.contains(path);
    if (known) route = state_->routes.value(path);
  }
  if (!known) route = THttpRoute{QByteArrayLiteral("not here"), 404, {}};
  if (method == "HEAD" && !route.headAllowed) route = THttpRoute{QByteArrayLiteral("no HEAD"), 405, {}};

  int status = route.status;
  auto body = std::make_shared<QByteArray>(route.body);
  QByteArray extra;
  qint64 firstByte = 0;
  qint64 lastByte = 0;
  if (status == 200 && !range.isEmpty() && route.acceptRanges &&
      ParseRange(range, body->size(), &firstByte, &lastByte)) {
    status = 206;
    extra += "Content-Range: bytes " + QByteArray::number(firstByte) + '-' + QByteArray::number(lastByte) +
             '/' + QByteArray::number(route.body.size()) + "\r\n";
    *body = body->mid(firstByte, lastByte - firstByte + 1);
  }
  if (!route.location.isEmpty()) extra += "Location: " + route.location + "\r\n";

  QByteArray head = "HTTP/1.1 " + QByteArray::number(status) + ' ' + ReasonOf(status) + "\r\n";
  head += "Content-Length: " + QByteArray::number(body->size()) + "\r\n";
  head += "Content-Type: application/octet-stream\r\nConnection: close\r\n" + extra + "\r\n";
  socket->write(head);
  if (method == "HEAD") {
    socket->disconnectFromHost();
    return;
  }
  if (route.cutAfter >= 0) body->truncate(route.cutAfter);
  if (route.stallAfter >= 0) {
    // A server that stopped answering: the client has to give up by itself.
    socket->write(body->left(route.stallAfter));
    return;
  }
  SendBody(socket, body, route);
}
