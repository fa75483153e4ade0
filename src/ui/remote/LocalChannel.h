#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QObject>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

namespace tavolin {

// The channel between the running copy and a later one, one source file per system: on Linux
// the platform's Unix stream socket watched on the Qt event loop (so the program needs no
// network library), on Windows a named pipe through Qt's local socket. The socket's path or the
// pipe's name comes from PrivateInstanceNames; what travels over it is remote::Protocol's.

// One connection from a later copy, as the running copy sees it. It deletes itself never:
// whoever serves it deletes it (deleteLater) once it is dropped or the peer has hung up.
class LocalChannelConnection : public QObject {
    Q_OBJECT
public:
    ~LocalChannelConnection() override;

    // At most `max` of the bytes that have arrived; empty when none are waiting.
    QByteArray Read(qsizetype max);
    // Sends `bytes` behind whatever is still on its way; never raises SIGPIPE.
    void Write(const QByteArray& bytes);
    // Closes the connection at once: what is unsent is lost and no more signals come.
    void Abort();

signals:
    void readyRead();
    // The peer hung up (or the connection broke).
    void disconnected();

private:
    friend class LocalChannelServer;
    struct Impl;
    explicit LocalChannelConnection(std::unique_ptr<Impl> impl, QObject* parent);
    std::unique_ptr<Impl> d;
};

// The running copy's end: accepts connections while it listens.
class LocalChannelServer : public QObject {
    Q_OBJECT
public:
    explicit LocalChannelServer(QObject* parent = nullptr);
    ~LocalChannelServer() override;

    // Listens on `name`, for its user alone. Whatever a copy that died left under that name
    // is removed first: the caller holds the lock that says no live copy uses it.
    bool Listen(const QString& name);
    // False once it has stopped: it stops when accepting fails for a reason other than a
    // peer gone (no descriptor left, for one) rather than being woken for it again and again.
    bool IsListening() const;
    void Close();
    // At most `max` connections live at once (0: no bound). While that many are, the server
    // takes no more: later peers wait in the system's queue, neither turned away nor holding
    // a descriptor here, and are taken as connections are deleted.
    void SetMaxConnections(int max);

signals:
    // A new connection, a child of this server, handed over to the receiver.
    void connected(tavolin::LocalChannelConnection* connection);

private:
    // Takes the connections that wait, as many as there is room for.
    void TakeWaiting();

    struct Impl;
    std::unique_ptr<Impl> d;
};

// A later copy's end: blocking calls, each bounded by its deadline.
class LocalChannelClient {
public:
    LocalChannelClient();
    ~LocalChannelClient();
    LocalChannelClient(const LocalChannelClient&) = delete;
    LocalChannelClient& operator=(const LocalChannelClient&) = delete;

    // One attempt; false when nothing listens on `name` or it takes no connection in time.
    bool Connect(const QString& name, QDeadlineTimer deadline);
    // The descriptor (Linux) or pipe handle (Windows) of the connection.
    std::intptr_t Handle() const;
    // All of `bytes`, or false.
    bool Write(const QByteArray& bytes, QDeadlineTimer deadline);
    // Up to `max` bytes as soon as any have arrived; nothing when the peer hung up first, the
    // connection broke or the deadline passed.
    std::optional<QByteArray> Read(qsizetype max, QDeadlineTimer deadline);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace tavolin
