#include "ui/SingleInstance.h"

#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QThread>
#include <QTimer>

#include <cstdio>

namespace tavolin {

namespace {

// A later copy writes its request at once; one that has not within this time is dropped.
constexpr int kRequestTimeoutMs = 2000;
// After its answer the later copy hangs up; a named pipe dropped before then loses what the
// later copy has not read yet, so the running copy waits for it this long at most.
constexpr int kHangUpWaitMs = 2000;
// Connections served at once. A burst beyond it (a script gone wrong) is turned away as it
// comes, so that it cannot use up the process's descriptors.
constexpr int kMaxServing = 16;
// How often the running copy checks that it still listens.
constexpr int kListenWatchMs = 1000;

void Ignored(const char* why) {
    std::fprintf(stderr, "tavolin: ignored a request from another copy: %s\n", why);
}

// Reads one line of at most remote::kMaxLine bytes; nothing when the line is longer or the
// peer stops before its end.
std::optional<QByteArray> ReadLine(QLocalSocket& socket, QDeadlineTimer deadline) {
    QByteArray buffer;
    while (true) {
        const auto end = buffer.indexOf('\n');
        if (end >= 0)
            return buffer.left(end);
        if (buffer.size() > static_cast<qsizetype>(remote::kMaxLine))
            return std::nullopt;
        if (socket.bytesAvailable() == 0 &&
            !socket.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
            return std::nullopt;
        }
        buffer += socket.read(static_cast<qint64>(remote::kMaxLine) + 1 - buffer.size());
    }
}

std::string DisplayOfThisCopy() {
    return remote::DisplayIdentity(qEnvironmentVariable("DISPLAY").toStdString(),
                                   qEnvironmentVariable("WAYLAND_DISPLAY").toStdString());
}

} // namespace

SingleInstance::SingleInstance(const QString& key, QObject* parent) : QObject(parent) {
    if (const auto names = PrivateInstanceNames(key.toStdString(), DisplayOfThisCopy(), m_error)) {
        m_lockPath = QString::fromStdString(names->lock);
        m_serverPath = QString::fromStdString(names->channel);
    }
}

SingleInstance::~SingleInstance() {
    if (m_server != nullptr)
        m_server->close();
}

LockState SingleInstance::Lock() {
    if (m_lockPath.isEmpty())
        return LockState::Failed;
    LockState state = LockState::Failed;
    m_lock = TakeInstanceLock(m_lockPath.toStdString(), state, m_error);
    return state;
}

bool SingleInstance::Listen() {
    if (!m_lock || m_server != nullptr)
        return false;
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::Serve);
    m_watch = new QTimer(this);
    connect(m_watch, &QTimer::timeout, this, &SingleInstance::KeepListening);
    m_watch->start(kListenWatchMs);
    // A socket left by a copy that crashed is in the way: the lock says it is dead.
    QLocalServer::removeServer(m_serverPath);
    return m_server->listen(m_serverPath);
}

bool SingleInstance::Acquire() {
    return Lock() == LockState::Taken && Listen();
}

void SingleInstance::KeepListening() {
    if (m_server->isListening())
        return;
    QLocalServer::removeServer(m_serverPath);
    // Tried again at the next check when it fails (no descriptor free yet, say).
    if (m_server->listen(m_serverPath))
        std::fprintf(stderr, "tavolin: listening for other copies again\n");
}

void SingleInstance::Serve() {
    while (QLocalSocket* client = m_server->nextPendingConnection()) {
        if (m_serving >= kMaxServing) {
            client->abort();
            client->deleteLater();
            continue;
        }
        ++m_serving;
        connect(client, &QObject::destroyed, this, [this] { --m_serving; });
        connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
        auto* timeout = new QTimer(client);
        timeout->setSingleShot(true);
        connect(timeout, &QTimer::timeout, client, [client] {
            Ignored("it did not arrive in time");
            client->abort();
            client->deleteLater();
        });
        timeout->start(kRequestTimeoutMs);

        // The line builds up over readyRead; reading stops one byte past the bound.
        auto buffer = std::make_shared<QByteArray>();
        connect(client, &QLocalSocket::readyRead, this, [this, client, timeout, buffer] {
            *buffer += client->read(static_cast<qint64>(remote::kMaxLine) + 1 - buffer->size());
            const auto end = buffer->indexOf('\n');
            if (end < 0 && buffer->size() <= static_cast<qsizetype>(remote::kMaxLine))
                return;
            timeout->stop();
            disconnect(client, &QLocalSocket::readyRead, this, nullptr);
            const auto request = end < 0 ? std::nullopt
                                         : remote::DecodeRequest(std::string_view(
                                               buffer->constData(), static_cast<std::size_t>(end)));
            if (!request) {
                Ignored(end < 0 ? "it is too long" : "it is malformed");
                client->abort();
                client->deleteLater();
                return;
            }
            QPointer<QLocalSocket> peer(client);
            const Reply reply = [peer](const remote::Answer& answer) {
                if (!peer)
                    return;
                peer->write(
                    QByteArray::fromStdString(remote::EncodeAnswer(answer.status, answer.message)));
                peer->flush();
                // The later copy hangs up once it has read the answer (its socket is then
                // deleted); one that does not is dropped after a while.
                QTimer::singleShot(kHangUpWaitMs, peer.data(), [peer] {
                    peer->abort();
                    peer->deleteLater();
                });
            };
            // Carried out once the socket's own signal has returned: a request may open a
            // message box, whose event loop can delete this socket when the caller hangs up.
            QMetaObject::invokeMethod(
                this,
                [this, request = *request, reply] {
                    if (m_handler) {
                        m_handler(request, reply);
                    } else {
                        reply({remote::kExitFailed, "the running copy is still starting"});
                    }
                },
                Qt::QueuedConnection);
        });
    }
    KeepListening();
}

std::optional<remote::Answer> SingleInstance::Send(const remote::Request& request, int connectMs,
                                                   int answerMs) const {
    m_allowed.reset();
    if (m_serverPath.isEmpty())
        return std::nullopt;
    QLocalSocket socket;
    const QDeadlineTimer connectBy(connectMs);
    while (true) {
        socket.connectToServer(m_serverPath);
        if (socket.waitForConnected(static_cast<int>(connectBy.remainingTime())))
            break;
        if (connectBy.hasExpired())
            return std::nullopt;
        QThread::msleep(20);
    }
    m_allowed = AllowPeerToComeForward(static_cast<std::intptr_t>(socket.socketDescriptor()));
    socket.write(QByteArray::fromStdString(remote::EncodeRequest(request)));
    const QDeadlineTimer answerBy(answerMs);
    socket.flush();
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(static_cast<int>(answerBy.remainingTime()))) {
            return std::nullopt;
        }
    }
    const auto line = ReadLine(socket, answerBy);
    if (!line)
        return std::nullopt;
    return remote::DecodeAnswer(
        std::string_view(line->constData(), static_cast<std::size_t>(line->size())));
}

} // namespace tavolin
