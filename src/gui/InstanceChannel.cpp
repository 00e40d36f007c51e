#include "gui/InstanceChannel.h"

#include <QDataStream>
#include <QLocalSocket>

#include "gui/InstanceLock.h"
#include "gui/WindowLog.h"

namespace {

// What a second start sends: the tag, whether to start, the paths; the window answers with kTaken.
constexpr quint32 kTag = 0x484d5031;  // "HMP1"
constexpr quint8 kTaken = 1;
constexpr QDataStream::Version kStreamVersion = QDataStream::Qt_6_0;

}  // namespace

TInstanceChannel::TInstanceChannel(const QString& programFolder, QObject* parent)
    : QObject(parent), name_(ServerName(programFolder)) {
  server_.setSocketOptions(QLocalServer::UserAccessOption);
  connect(&server_, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
      connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
      connect(socket, &QLocalSocket::readyRead, this, [this, socket] { Serve(socket); });
    }
  });
}

QString TInstanceChannel::ServerName(const QString& programFolder) {
  return TInstanceLock::LockFileName(programFolder) + QStringLiteral(".socket");
}

bool TInstanceChannel::Listen() {
  QLocalServer::removeServer(name_);
  if (server_.listen(name_)) return true;
  qCWarning(lcWindow) << "cannot listen on" << name_ << "for later starts:" << server_.errorString();
  return false;
}

void TInstanceChannel::Serve(QLocalSocket* socket) {
  QDataStream in(socket);
  in.setVersion(kStreamVersion);
  in.startTransaction();
  quint32 tag = 0;
  THandedPaths handed;
  in >> tag >> handed.start >> handed.paths;
  if (!in.commitTransaction()) return;  // the rest is still on its way
  if (tag != kTag) {
    qCWarning(lcWindow) << "a connection on" << name_ << "sent something other than paths; closed";
    socket->abort();
    return;
  }
  Q_EMIT PathsHanded(handed);
  socket->write(QByteArray(1, char(kTaken)));
  socket->disconnectFromServer();
}

bool TInstanceChannel::HandOver(const QString& programFolder, const THandedPaths& handed, int timeoutMs) {
  QLocalSocket socket;
  socket.connectToServer(ServerName(programFolder));
  if (!socket.waitForConnected(timeoutMs)) return false;
  QByteArray message;
  QDataStream out(&message, QIODevice::WriteOnly);
  out.setVersion(kStreamVersion);
  out << kTag << handed.start << handed.paths;
  socket.write(message);
  if (!socket.waitForBytesWritten(timeoutMs)) return false;
  while (socket.bytesAvailable() < 1)
    if (!socket.waitForReadyRead(timeoutMs)) {
      qCWarning(lcWindow) << "the running window did not take the paths:" << socket.errorString();
      return false;
    }
  return socket.read(1) == QByteArray(1, char(kTaken));
}
