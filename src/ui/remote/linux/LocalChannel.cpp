#include "ui/remote/LocalChannel.h"

#include "platform/linux/LocalSocket.h"

#include <QFile>
#include <QSocketNotifier>

#include <algorithm>
#include <cstdio>
#include <limits>

// The platform's Unix stream sockets, watched on Qt's event loop.

namespace tavolin {

using linuxdesktop::LocalListener;
using linuxdesktop::LocalSocket;
using linuxdesktop::Transfer;

namespace {

// What a connection keeps of the bytes that arrived and were not read yet; more is read and
// dropped, so that a peer that keeps writing cannot grow the running copy's memory.
constexpr qsizetype kMaxBuffered = 64 * 1024;
// Connections the server takes at one wake-up; the rest wait for the next turn of the event
// loop, so that a burst cannot hold it up.
constexpr int kMaxAcceptsAtOnce = 64;

std::string PathOf(const QString& name) {
    return QFile::encodeName(name).toStdString();
}

int Milliseconds(QDeadlineTimer deadline) {
    return static_cast<int>(
        std::min<qint64>(deadline.remainingTime(), std::numeric_limits<int>::max()));
}

} // namespace

// --- a connection, the running copy's end ----------------------------------------------

struct LocalChannelConnection::Impl {
    LocalSocket socket;
    QSocketNotifier* reader = nullptr;
    QSocketNotifier* writer = nullptr;
    QByteArray in;
    QByteArray out;

    void Shut() {
        if (!socket.IsOpen())
            return;
        // Turned off, not deleted: this may run inside one of their own signals.
        reader->setEnabled(false);
        writer->setEnabled(false);
        socket.Close();
        in.clear();
        out.clear();
    }
};

LocalChannelConnection::LocalChannelConnection(std::unique_ptr<Impl> impl, QObject* parent)
    : QObject(parent), d(std::move(impl)) {
    const auto fd = static_cast<qintptr>(d->socket.Descriptor());
    d->reader = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    d->writer = new QSocketNotifier(fd, QSocketNotifier::Write, this);
    d->writer->setEnabled(false);
    connect(d->reader, &QSocketNotifier::activated, this, [this] {
        char buffer[4096];
        const Transfer got = d->socket.Receive(buffer, sizeof buffer);
        if (got.result == Transfer::Result::WouldBlock)
            return;
        if (got.result == Transfer::Result::Closed) {
            d->Shut();
            emit disconnected();
            return;
        }
        const auto count = static_cast<qsizetype>(got.count);
        if (d->in.size() < kMaxBuffered)
            d->in.append(buffer, std::min<qsizetype>(count, kMaxBuffered - d->in.size()));
        emit readyRead();
    });
    connect(d->writer, &QSocketNotifier::activated, this, [this] { Write({}); });
}

LocalChannelConnection::~LocalChannelConnection() {
    d->Shut();
}

QByteArray LocalChannelConnection::Read(qsizetype max) {
    QByteArray bytes = d->in.left(max);
    d->in.remove(0, bytes.size());
    return bytes;
}

void LocalChannelConnection::Write(const QByteArray& bytes) {
    if (!d->socket.IsOpen())
        return;
    d->out += bytes;
    while (!d->out.isEmpty()) {
        const Transfer sent =
            d->socket.Send(d->out.constData(), static_cast<std::size_t>(d->out.size()));
        if (sent.result == Transfer::Result::Moved) {
            d->out.remove(0, static_cast<qsizetype>(sent.count));
        } else if (sent.result == Transfer::Result::WouldBlock) {
            d->writer->setEnabled(true); // the rest when the peer has room for it
            return;
        } else {
            // The peer is gone; the reader sees it hang up.
            d->out.clear();
        }
    }
    d->writer->setEnabled(false);
}

void LocalChannelConnection::Abort() {
    d->Shut();
}

// --- the server --------------------------------------------------------------------------

struct LocalChannelServer::Impl {
    LocalListener listener;
    QSocketNotifier* notifier = nullptr;
    int live = 0; // connections not deleted yet
    int max = 0;

    bool Full() const { return max > 0 && live >= max; }
    // The listening socket stays readable while peers wait: a full server is not woken.
    void FollowRoom() {
        if (notifier != nullptr)
            notifier->setEnabled(!Full());
    }
};

LocalChannelServer::LocalChannelServer(QObject* parent)
    : QObject(parent), d(std::make_unique<Impl>()) {}

LocalChannelServer::~LocalChannelServer() {
    Close();
    // Before `d` goes: a connection's end counts it out.
    qDeleteAll(findChildren<LocalChannelConnection*>(Qt::FindDirectChildrenOnly));
}

bool LocalChannelServer::Listen(const QString& name) {
    if (!d->listener.Listen(PathOf(name)))
        return false;
    d->notifier = new QSocketNotifier(static_cast<qintptr>(d->listener.Descriptor()),
                                      QSocketNotifier::Read, this);
    connect(d->notifier, &QSocketNotifier::activated, this, &LocalChannelServer::TakeWaiting);
    d->FollowRoom();
    return true;
}

void LocalChannelServer::TakeWaiting() {
    for (int i = 0; i < kMaxAcceptsAtOnce && d->listener.IsListening() && !d->Full(); ++i) {
        auto impl = std::make_unique<LocalChannelConnection::Impl>();
        std::string error;
        switch (d->listener.Accept(impl->socket, error)) {
        case LocalListener::Accepted::Connection:
            break;
        case LocalListener::Accepted::Retry:
            continue;
        case LocalListener::Accepted::NoneWaiting:
            return;
        case LocalListener::Accepted::Failed:
            // The connection stays queued and would wake this at once again, for ever: the
            // server stops, and its owner listens again.
            std::fprintf(stderr, "tavolin: stopped listening for other copies: %s\n",
                         error.c_str());
            Close();
            return;
        }
        auto* connection = new LocalChannelConnection(std::move(impl), this);
        ++d->live;
        connect(connection, &QObject::destroyed, this, [this] {
            --d->live;
            d->FollowRoom();
        });
        d->FollowRoom();
        emit connected(connection);
    }
}

bool LocalChannelServer::IsListening() const {
    return d->listener.IsListening();
}

void LocalChannelServer::SetMaxConnections(int max) {
    d->max = max;
    d->FollowRoom();
}

void LocalChannelServer::Close() {
    if (!d->listener.IsListening())
        return;
    // Turned off and deleted later: this may run inside the notifier's own signal.
    d->notifier->setEnabled(false);
    d->notifier->deleteLater();
    d->notifier = nullptr;
    d->listener.Close();
}

// --- the client --------------------------------------------------------------------------

struct LocalChannelClient::Impl {
    LocalSocket socket;
};

LocalChannelClient::LocalChannelClient() : d(std::make_unique<Impl>()) {}

LocalChannelClient::~LocalChannelClient() = default;

bool LocalChannelClient::Connect(const QString& name, QDeadlineTimer) {
    // Made at once or refused: there is nothing to wait for.
    return d->socket.Connect(PathOf(name));
}

std::intptr_t LocalChannelClient::Handle() const {
    return d->socket.Descriptor();
}

bool LocalChannelClient::Write(const QByteArray& bytes, QDeadlineTimer deadline) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const Transfer sent =
            d->socket.Send(bytes.constData() + done, static_cast<std::size_t>(bytes.size() - done));
        if (sent.result == Transfer::Result::Moved)
            done += static_cast<qsizetype>(sent.count);
        else if (sent.result == Transfer::Result::Closed ||
                 !d->socket.WaitWritable(Milliseconds(deadline)))
            return false;
    }
    return true;
}

std::optional<QByteArray> LocalChannelClient::Read(qsizetype max, QDeadlineTimer deadline) {
    if (max <= 0)
        return std::nullopt;
    QByteArray bytes(max, Qt::Uninitialized);
    while (true) {
        const Transfer got = d->socket.Receive(bytes.data(), static_cast<std::size_t>(max));
        if (got.result == Transfer::Result::Moved) {
            bytes.truncate(static_cast<qsizetype>(got.count));
            return bytes;
        }
        if (got.result == Transfer::Result::Closed ||
            !d->socket.WaitReadable(Milliseconds(deadline)))
            return std::nullopt;
    }
}

} // namespace tavolin
