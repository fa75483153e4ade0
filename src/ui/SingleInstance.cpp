#include "ui/SingleInstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QPointer>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>

#include <cstdio>

namespace tavolin {

namespace {

// A later copy writes its request at once; one that has not within this time is dropped.
constexpr int kRequestTimeoutMs = 2000;

// The user's runtime folder: $XDG_RUNTIME_DIR, or a private folder Qt makes for the user.
QString RuntimeFolder() {
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    QDir().mkpath(dir);
    return dir;
}

QString InstanceName(const QString& key) {
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty())
        user = qEnvironmentVariable("LOGNAME");
    if (user.isEmpty())
        user = qEnvironmentVariable("USERNAME");
    const QString display = QString::fromStdString(
        remote::DisplayIdentity(qEnvironmentVariable("DISPLAY").toStdString(),
                                qEnvironmentVariable("WAYLAND_DISPLAY").toStdString()));
    QString name = key + QLatin1Char('-') + user + QLatin1Char('-') + display;
    static const QRegularExpression unsafe(QStringLiteral("[^A-Za-z0-9._-]"));
    return name.replace(unsafe, QStringLiteral("_"));
}

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

} // namespace

SingleInstance::SingleInstance(const QString& key, QObject* parent) : QObject(parent) {
    const QString base = RuntimeFolder() + QLatin1Char('/') + InstanceName(key);
    m_lockPath = base + QStringLiteral(".lock");
    m_serverPath = base + QStringLiteral(".socket");
}

SingleInstance::~SingleInstance() {
    if (m_server != nullptr)
        m_server->close();
    if (m_lock)
        m_lock->unlock();
}

bool SingleInstance::Lock() {
    m_lock = std::make_unique<QLockFile>(m_lockPath);
    // Never take a live holder's lock for an old one; a dead holder's lock is stale at once.
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0)) {
        m_lock.reset();
        return false;
    }
    return true;
}

bool SingleInstance::Listen() {
    if (!m_lock || m_server != nullptr)
        return false;
    // A socket left by a copy that crashed is in the way: the lock says it is dead.
    QLocalServer::removeServer(m_serverPath);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::Serve);
    return m_server->listen(m_serverPath);
}

bool SingleInstance::Acquire() {
    return Lock() && Listen();
}

void SingleInstance::Serve() {
    while (QLocalSocket* client = m_server->nextPendingConnection()) {
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
                peer->disconnectFromServer();
            };
            if (m_handler) {
                m_handler(*request, reply);
            } else {
                reply({remote::kExitFailed, "the running copy is still starting"});
            }
        });
    }
}

std::optional<remote::Answer> SingleInstance::Send(const remote::Request& request, int connectMs,
                                                   int answerMs) const {
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
