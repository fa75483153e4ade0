#pragma once

#include "core/Platform.h"
#include "core/remote/Protocol.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class QTimer;

namespace tavolin {

class LocalChannelConnection;
class LocalChannelServer;

// One running copy per user and display. The first copy holds a lock that the system
// releases when its process ends, and listens on a local socket (a named pipe on Windows);
// both are named from `key`, the user and the display, in places only the user can reach
// (see PrivateInstanceNames). A later copy finds the lock held and hands its request (come
// forward, press a button, quit, ...) to the first through the socket, then waits for the
// answer. The socket is the user's alone; a request that is not one (too long, malformed, or
// not finished in time) is left unanswered with a line on standard error.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // Answers the copy that sent the request; call it once.
    using Reply = std::function<void(const remote::Answer&)>;
    using RequestHandler = std::function<void(const remote::Request&, const Reply&)>;

    explicit SingleInstance(const QString& key, QObject* parent = nullptr);
    ~SingleInstance() override;

    // Taken when this process now holds the lock: it is the one copy. Held when a live copy
    // holds it. Failed when there is no private place for the lock or it cannot be taken
    // (Error() says why): the copy then runs without the guard. Needs no application object,
    // so that a later copy learns it is one before it connects to the display.
    LockState Lock();
    // Starts listening for later copies; needs the application object. Call after Lock().
    bool Listen();
    // Lock() and Listen().
    bool Acquire();
    const std::string& Error() const { return m_error; }

    // Who carries out the requests of later copies. Until there is one (the window is still
    // being made), every request fails with a message.
    void SetRequestHandler(RequestHandler handler) { m_handler = std::move(handler); }

    // Hands a request to the running copy and waits for its answer. The connection is tried
    // again until `connectMs` have passed (the running copy may still be starting). Nothing
    // when no copy took the request or none answered within `answerMs`. The running copy may
    // bring its window in front of the program this copy was started from.
    std::optional<remote::Answer> Send(const remote::Request& request, int connectMs,
                                       int answerMs) const;

    const QString& LockPath() const { return m_lockPath; }
    const QString& ServerPath() const { return m_serverPath; }
    // The process id of the running copy that the last Send let come forward.
    std::optional<std::int64_t> AllowedToComeForward() const { return m_allowed; }

private:
    void Serve(LocalChannelConnection* client);
    // Listens again when the server has stopped (it stops when the process runs out of
    // descriptors, for one).
    void KeepListening();

    QString m_lockPath;
    QString m_serverPath;
    std::string m_error;
    std::unique_ptr<HeldLock> m_lock;
    LocalChannelServer* m_server = nullptr;
    QTimer* m_watch = nullptr;
    RequestHandler m_handler;
    mutable std::optional<std::int64_t> m_allowed;
};

} // namespace tavolin
