#include "ui/remote/LocalChannel.h"

#include <QFile>
#include <QSocketNotifier>

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

// A Unix stream socket of our own rather than Qt's local socket: Qt's lives in its network
// library, whose load alone (with the Kerberos, proxy and resolver libraries it brings)
// costs every start about 1.5 MB.

namespace tavolin {

namespace {

// What a connection keeps of the bytes that arrived and were not read yet; more is read and
// dropped, so that a peer that keeps writing cannot grow the running copy's memory.
constexpr qsizetype kMaxBuffered = 64 * 1024;
// Connections the server takes at one wake-up; the rest wait for the next turn of the event
// loop, so that a burst cannot hold it up.
constexpr int kMaxAcceptsAtOnce = 64;
// Connections waiting to be accepted; a peer that finds the queue full tries again.
constexpr int kBacklog = 50;

bool Address(const QByteArray& path, sockaddr_un& address) {
    address = {};
    address.sun_family = AF_UNIX;
    if (path.isEmpty() || static_cast<std::size_t>(path.size()) >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()));
    return true;
}

// Waits for `events` on `fd` until the deadline; false when it passed first or polling failed.
bool WaitFor(int fd, short events, QDeadlineTimer deadline) {
    while (true) {
        pollfd entry{fd, events, 0};
        const qint64 left = deadline.remainingTime();
        const int ready = poll(&entry, 1, left < 0 ? -1 : static_cast<int>(left));
        if (ready > 0)
            return true;
        if (ready == 0 || errno != EINTR)
            return false;
    }
}

void CloseDescriptor(int fd) {
    // Linux frees the descriptor even when close is interrupted: it is never closed twice.
    ::close(fd);
}

} // namespace

// --- a connection, the running copy's end ----------------------------------------------

struct LocalChannelConnection::Impl {
    int fd = -1;
    QSocketNotifier* reader = nullptr;
    QSocketNotifier* writer = nullptr;
    QByteArray in;
    QByteArray out;

    void Shut() {
        if (fd < 0)
            return;
        // Turned off, not deleted: this may run inside one of their own signals.
        reader->setEnabled(false);
        writer->setEnabled(false);
        CloseDescriptor(fd);
        fd = -1;
        in.clear();
        out.clear();
    }
};

LocalChannelConnection::LocalChannelConnection(std::unique_ptr<Impl> impl, QObject* parent)
    : QObject(parent), d(std::move(impl)) {
    d->reader = new QSocketNotifier(static_cast<qintptr>(d->fd), QSocketNotifier::Read, this);
    d->writer = new QSocketNotifier(static_cast<qintptr>(d->fd), QSocketNotifier::Write, this);
    d->writer->setEnabled(false);
    connect(d->reader, &QSocketNotifier::activated, this, [this] {
        char buffer[4096];
        ssize_t count;
        do {
            count = recv(d->fd, buffer, sizeof buffer, 0);
        } while (count < 0 && errno == EINTR);
        if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return;
        if (count <= 0) {
            d->Shut();
            emit disconnected();
            return;
        }
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
    if (d->fd < 0)
        return;
    d->out += bytes;
    while (!d->out.isEmpty()) {
        const ssize_t sent =
            send(d->fd, d->out.constData(), static_cast<std::size_t>(d->out.size()),
                 MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent > 0) {
            d->out.remove(0, sent);
        } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
            d->writer->setEnabled(true); // the rest when the peer has room for it
            return;
        } else if (errno != EINTR) {
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
    int fd = -1;
    QByteArray path;
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
    const QByteArray path = QFile::encodeName(name);
    sockaddr_un address{};
    if (d->fd >= 0 || !Address(path, address))
        return false;
    ::unlink(path.constData());
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    // The socket file takes this mode when it is made, and keeps it: the user's alone, even
    // for the moment before the chmod (and the folder is the user's alone too).
    ::fchmod(fd, 0600);
    if (bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        CloseDescriptor(fd);
        return false;
    }
    if (::chmod(path.constData(), 0600) != 0 || ::listen(fd, kBacklog) != 0) {
        CloseDescriptor(fd);
        ::unlink(path.constData());
        return false;
    }
    d->fd = fd;
    d->path = path;
    d->notifier = new QSocketNotifier(static_cast<qintptr>(fd), QSocketNotifier::Read, this);
    connect(d->notifier, &QSocketNotifier::activated, this, [this] {
        for (int i = 0; i < kMaxAcceptsAtOnce && d->fd >= 0 && !d->Full(); ++i) {
            const int client = accept4(d->fd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
            if (client >= 0) {
                auto impl = std::make_unique<LocalChannelConnection::Impl>();
                impl->fd = client;
                auto* connection = new LocalChannelConnection(std::move(impl), this);
                ++d->live;
                connect(connection, &QObject::destroyed, this, [this] {
                    --d->live;
                    d->FollowRoom();
                });
                d->FollowRoom();
                emit connected(connection);
                continue;
            }
            if (errno == EINTR || errno == ECONNABORTED || errno == EPROTO)
                continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK)
                return;
            // Out of descriptors or memory, say. The connection stays queued and would wake
            // this at once again, for ever: the server stops, and its owner listens again.
            std::fprintf(stderr, "tavolin: stopped listening for other copies: %s\n",
                         std::strerror(errno));
            Close();
            return;
        }
    });
    d->FollowRoom();
    return true;
}

bool LocalChannelServer::IsListening() const {
    return d->fd >= 0;
}

void LocalChannelServer::SetMaxConnections(int max) {
    d->max = max;
    d->FollowRoom();
}

void LocalChannelServer::Close() {
    if (d->fd < 0)
        return;
    // Turned off and deleted later: this may run inside the notifier's own signal.
    d->notifier->setEnabled(false);
    d->notifier->deleteLater();
    d->notifier = nullptr;
    CloseDescriptor(d->fd);
    d->fd = -1;
    ::unlink(d->path.constData());
}

// --- the client --------------------------------------------------------------------------

struct LocalChannelClient::Impl {
    int fd = -1;

    void Shut() {
        if (fd >= 0)
            CloseDescriptor(fd);
        fd = -1;
    }
};

LocalChannelClient::LocalChannelClient() : d(std::make_unique<Impl>()) {}

LocalChannelClient::~LocalChannelClient() {
    d->Shut();
}

bool LocalChannelClient::Connect(const QString& name, QDeadlineTimer deadline) {
    d->Shut();
    sockaddr_un address{};
    if (!Address(QFile::encodeName(name), address))
        return false;
    d->fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (d->fd < 0)
        return false;
    // A local connection is made at once or refused: a server whose queue is full (EAGAIN)
    // counts as refused, and the caller tries again.
    int result;
    do {
        result = ::connect(d->fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    } while (result != 0 && errno == EINTR && !deadline.hasExpired());
    // A connect interrupted and tried again may find the connection already made.
    if (result != 0 && errno != EISCONN) {
        d->Shut();
        return false;
    }
    return true;
}

std::intptr_t LocalChannelClient::Handle() const {
    return d->fd;
}

bool LocalChannelClient::Write(const QByteArray& bytes, QDeadlineTimer deadline) {
    if (d->fd < 0)
        return false;
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t sent = send(d->fd, bytes.constData() + done,
                                  static_cast<std::size_t>(bytes.size() - done), MSG_NOSIGNAL);
        if (sent > 0) {
            done += sent;
        } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
            if (!WaitFor(d->fd, POLLOUT, deadline))
                return false;
        } else if (errno != EINTR) {
            return false;
        }
    }
    return true;
}

std::optional<QByteArray> LocalChannelClient::Read(qsizetype max, QDeadlineTimer deadline) {
    if (d->fd < 0 || max <= 0)
        return std::nullopt;
    QByteArray bytes(max, Qt::Uninitialized);
    while (true) {
        const ssize_t count = recv(d->fd, bytes.data(), static_cast<std::size_t>(max), 0);
        if (count > 0) {
            bytes.truncate(count);
            return bytes;
        }
        if (count == 0)
            return std::nullopt;
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            if (!WaitFor(d->fd, POLLIN, deadline))
                return std::nullopt;
        } else if (errno != EINTR) {
            return std::nullopt;
        }
    }
}

} // namespace tavolin
