#include "ui/SingleInstance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QRegularExpression>
#include <QStandardPaths>

namespace tavolin {

namespace {

const QByteArray kComeForward = "come-forward\n";

// The user's runtime folder: $XDG_RUNTIME_DIR, or a private folder Qt makes for the user.
QString RuntimeFolder() {
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty()) dir = QDir::tempPath();
    QDir().mkpath(dir);
    return dir;
}

QString InstanceName(const QString& key) {
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty()) user = qEnvironmentVariable("LOGNAME");
    if (user.isEmpty()) user = qEnvironmentVariable("USERNAME");
    QString display = qEnvironmentVariable("DISPLAY");
    if (display.isEmpty()) display = qEnvironmentVariable("WAYLAND_DISPLAY");
    QString name = key + QLatin1Char('-') + user + QLatin1Char('-') + display;
    static const QRegularExpression unsafe(QStringLiteral("[^A-Za-z0-9._-]"));
    return name.replace(unsafe, QStringLiteral("_"));
}

} // namespace

SingleInstance::SingleInstance(const QString& key, QObject* parent) : QObject(parent) {
    const QString base = RuntimeFolder() + QLatin1Char('/') + InstanceName(key);
    m_lockPath = base + QStringLiteral(".lock");
    m_serverPath = base + QStringLiteral(".socket");
}

SingleInstance::~SingleInstance() {
    if (m_server != nullptr) m_server->close();
    if (m_lock) m_lock->unlock();
}

bool SingleInstance::Acquire() {
    m_lock = std::make_unique<QLockFile>(m_lockPath);
    // Never take a live holder's lock for an old one; a dead holder's lock is stale at once.
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0)) {
        m_lock.reset();
        return false;
    }
    // A socket left by a copy that crashed is in the way: the lock says it is dead.
    QLocalServer::removeServer(m_serverPath);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    m_server->listen(m_serverPath);
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* client = m_server->nextPendingConnection()) {
            connect(client, &QLocalSocket::readyRead, this, [this, client] {
                if (client->readAll().contains(kComeForward.trimmed())) emit comeForwardRequested();
                client->disconnectFromServer();
            });
            connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
        }
    });
    return true;
}

bool SingleInstance::AskRunningCopyToComeForward(int timeoutMs) const {
    QLocalSocket socket;
    socket.connectToServer(m_serverPath);
    if (!socket.waitForConnected(timeoutMs)) return false;
    socket.write(kComeForward);
    const bool sent = socket.waitForBytesWritten(timeoutMs);
    socket.disconnectFromServer();
    return sent;
}

} // namespace tavolin
