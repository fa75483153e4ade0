#include "ui/remote/LocalChannel.h"

#include <QLocalServer>
#include <QLocalSocket>

// A named pipe through Qt's local socket.

namespace tavolin {

// --- a connection, the running copy's end ----------------------------------------------

struct LocalChannelConnection::Impl {
    QLocalSocket* socket = nullptr;
};

LocalChannelConnection::LocalChannelConnection(std::unique_ptr<Impl> impl, QObject* parent)
    : QObject(parent), d(std::move(impl)) {
    d->socket->setParent(this);
    connect(d->socket, &QLocalSocket::readyRead, this, &LocalChannelConnection::readyRead);
    connect(d->socket, &QLocalSocket::disconnected, this, &LocalChannelConnection::disconnected);
    // A connection that waited its turn may have read its request, or lost its peer, while
    // nobody listened: said again once the receiver of `connected` has set it up.
    if (d->socket->bytesAvailable() > 0)
        QMetaObject::invokeMethod(
            this, [this] { emit readyRead(); }, Qt::QueuedConnection);
    if (d->socket->state() != QLocalSocket::ConnectedState)
        QMetaObject::invokeMethod(
            this, [this] { emit disconnected(); }, Qt::QueuedConnection);
}

LocalChannelConnection::~LocalChannelConnection() = default;

QByteArray LocalChannelConnection::Read(qsizetype max) {
    return d->socket->read(static_cast<qint64>(max));
}

void LocalChannelConnection::Write(const QByteArray& bytes) {
    d->socket->write(bytes);
    d->socket->flush();
}

void LocalChannelConnection::Abort() {
    d->socket->abort();
}

// --- the server --------------------------------------------------------------------------

struct LocalChannelServer::Impl {
    QLocalServer* server = nullptr;
    int live = 0; // connections not deleted yet
    int max = 0;

    bool Full() const { return max > 0 && live >= max; }
};

LocalChannelServer::LocalChannelServer(QObject* parent)
    : QObject(parent), d(std::make_unique<Impl>()) {
    d->server = new QLocalServer(this);
    d->server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(d->server, &QLocalServer::newConnection, this, &LocalChannelServer::TakeWaiting);
}

void LocalChannelServer::TakeWaiting() {
    // Connections not taken stay pending in Qt's server, which keeps a bounded number of
    // them; further peers wait for a free pipe instance (and try again).
    while (!d->Full()) {
        QLocalSocket* socket = d->server->nextPendingConnection();
        if (socket == nullptr)
            return;
        auto impl = std::make_unique<LocalChannelConnection::Impl>();
        impl->socket = socket;
        auto* connection = new LocalChannelConnection(std::move(impl), this);
        ++d->live;
        connect(connection, &QObject::destroyed, this, [this] {
            --d->live;
            // Not from inside the deletion: a new connection's receiver sets it up.
            QMetaObject::invokeMethod(this, &LocalChannelServer::TakeWaiting, Qt::QueuedConnection);
        });
        emit connected(connection);
    }
}

LocalChannelServer::~LocalChannelServer() {
    d->server->close();
    // Before `d` goes: a connection's end counts it out.
    qDeleteAll(findChildren<LocalChannelConnection*>(Qt::FindDirectChildrenOnly));
}

bool LocalChannelServer::Listen(const QString& name) {
    QLocalServer::removeServer(name);
    return d->server->listen(name);
}

bool LocalChannelServer::IsListening() const {
    return d->server->isListening();
}

void LocalChannelServer::SetMaxConnections(int max) {
    d->max = max;
}

void LocalChannelServer::Close() {
    d->server->close();
}

// --- the client --------------------------------------------------------------------------

struct LocalChannelClient::Impl {
    QLocalSocket socket;
};

namespace {
int Remaining(QDeadlineTimer deadline) {
    return static_cast<int>(deadline.remainingTime());
}
} // namespace

LocalChannelClient::LocalChannelClient() : d(std::make_unique<Impl>()) {}

LocalChannelClient::~LocalChannelClient() = default;

bool LocalChannelClient::Connect(const QString& name, QDeadlineTimer deadline) {
    d->socket.abort();
    d->socket.connectToServer(name);
    return d->socket.waitForConnected(Remaining(deadline));
}

std::intptr_t LocalChannelClient::Handle() const {
    return static_cast<std::intptr_t>(d->socket.socketDescriptor());
}

bool LocalChannelClient::Write(const QByteArray& bytes, QDeadlineTimer deadline) {
    if (d->socket.write(bytes) != bytes.size())
        return false;
    d->socket.flush();
    while (d->socket.bytesToWrite() > 0) {
        if (!d->socket.waitForBytesWritten(Remaining(deadline)))
            return false;
    }
    return true;
}

std::optional<QByteArray> LocalChannelClient::Read(qsizetype max, QDeadlineTimer deadline) {
    if (d->socket.bytesAvailable() == 0 && !d->socket.waitForReadyRead(Remaining(deadline)))
        return std::nullopt;
    return d->socket.read(static_cast<qint64>(max));
}

} // namespace tavolin
