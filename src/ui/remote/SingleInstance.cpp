#include "ui/remote/SingleInstance.h"

#include "ui/remote/LocalChannel.h"

#include <QDeadlineTimer>
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
// Connections served at once. Those beyond wait to be accepted (a burst of a script gone
// wrong cannot use up the process's descriptors) and are served as the first ones end.
constexpr int kMaxServing = 16;
// How often the running copy checks that it still listens.
constexpr int kListenWatchMs = 1000;

void Ignored(const char* why) {
    std::fprintf(stderr, "tavolin: ignored a request from another copy: %s\n", why);
}

// Reads one line of at most remote::kMaxLine bytes; nothing when the line is longer or the
// peer stops before its end.
std::optional<QByteArray> ReadLine(LocalChannelClient& channel, QDeadlineTimer deadline) {
    QByteArray buffer;
    while (true) {
        const auto end = buffer.indexOf('\n');
        if (end >= 0)
            return buffer.left(end);
        if (buffer.size() > static_cast<qsizetype>(remote::kMaxLine))
            return std::nullopt;
        const auto more =
            channel.Read(static_cast<qsizetype>(remote::kMaxLine) + 1 - buffer.size(), deadline);
        if (!more)
            return std::nullopt;
        buffer += *more;
    }
}

// Closes a connection now and forgets it.
void Drop(LocalChannelConnection* client) {
    client->Abort();
    client->deleteLater();
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
        m_server->Close();
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
    m_server = new LocalChannelServer(this);
    m_server->SetMaxConnections(kMaxServing);
    connect(m_server, &LocalChannelServer::connected, this, &SingleInstance::Serve);
    m_watch = new QTimer(this);
    connect(m_watch, &QTimer::timeout, this, &SingleInstance::KeepListening);
    m_watch->start(kListenWatchMs);
    // A socket left by a copy that crashed is in the way and goes: the lock says it is dead.
    return m_server->Listen(m_serverPath);
}

bool SingleInstance::Acquire() {
    return Lock() == LockState::Taken && Listen();
}

void SingleInstance::KeepListening() {
    if (m_server->IsListening())
        return;
    // Tried again at the next check when it fails (no descriptor free yet, say).
    if (m_server->Listen(m_serverPath))
        std::fprintf(stderr, "tavolin: listening for other copies again\n");
}

void SingleInstance::Serve(LocalChannelConnection* client) {
    connect(client, &LocalChannelConnection::disconnected, client, &QObject::deleteLater);
    auto* timeout = new QTimer(client);
    timeout->setSingleShot(true);
    connect(timeout, &QTimer::timeout, client, [client] {
        Ignored("it did not arrive in time");
        Drop(client);
    });
    timeout->start(kRequestTimeoutMs);

    // The line builds up over readyRead; reading stops one byte past the bound.
    auto buffer = std::make_shared<QByteArray>();
    connect(client, &LocalChannelConnection::readyRead, this, [this, client, timeout, buffer] {
        *buffer += client->Read(static_cast<qsizetype>(remote::kMaxLine) + 1 - buffer->size());
        const auto end = buffer->indexOf('\n');
        if (end < 0 && buffer->size() <= static_cast<qsizetype>(remote::kMaxLine))
            return;
        timeout->stop();
        disconnect(client, &LocalChannelConnection::readyRead, this, nullptr);
        const auto request = end < 0 ? std::nullopt
                                     : remote::DecodeRequest(std::string_view(
                                           buffer->constData(), static_cast<std::size_t>(end)));
        if (!request) {
            Ignored(end < 0 ? "it is too long" : "it is malformed");
            Drop(client);
            return;
        }
        QPointer<LocalChannelConnection> peer(client);
        const Reply reply = [peer](const remote::Answer& answer) {
            if (!peer)
                return;
            peer->Write(
                QByteArray::fromStdString(remote::EncodeAnswer(answer.status, answer.message)));
            // The later copy hangs up once it has read the answer (its connection is then
            // deleted); one that does not is dropped after a while.
            QTimer::singleShot(kHangUpWaitMs, peer.data(), [peer] { Drop(peer.data()); });
        };
        // Carried out once the connection's own signal has returned: a request may open a
        // message box, whose event loop can delete this connection when the caller hangs up.
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

std::optional<remote::Answer> SingleInstance::Send(const remote::Request& request, int connectMs,
                                                   int answerMs) const {
    m_allowed.reset();
    if (m_serverPath.isEmpty())
        return std::nullopt;
    LocalChannelClient channel;
    const QDeadlineTimer connectBy(connectMs);
    while (!channel.Connect(m_serverPath, connectBy)) {
        if (connectBy.hasExpired())
            return std::nullopt;
        QThread::msleep(20);
    }
    m_allowed = AllowPeerToComeForward(channel.Handle());
    const QDeadlineTimer answerBy(answerMs);
    if (!channel.Write(QByteArray::fromStdString(remote::EncodeRequest(request)), answerBy))
        return std::nullopt;
    const auto line = ReadLine(channel, answerBy);
    if (!line)
        return std::nullopt;
    return remote::DecodeAnswer(
        std::string_view(line->constData(), static_cast<std::size_t>(line->size())));
}

} // namespace tavolin
