#pragma once

#include "core/remote/Protocol.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QLocalServer;
class QLockFile;

namespace tavolin {

// One running copy per user and display. The first copy holds a lock file and listens on a
// local socket, both in the user's runtime folder and named from `key`, the user and the
// display; a later copy finds the lock held and hands its request (come forward, press a
// button, quit, ...) to the first through the socket, then waits for the answer. The lock
// dies with its process, so a copy that crashed blocks nothing. The socket is the user's
// alone; a request that is not one (too long, malformed, or not finished in time) is left
// unanswered with a line on standard error.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // Answers the copy that sent the request; call it once.
    using Reply = std::function<void(const remote::Answer&)>;
    using RequestHandler = std::function<void(const remote::Request&, const Reply&)>;

    explicit SingleInstance(const QString& key, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this process now holds the lock: it is the one copy. Needs no application
    // object, so that a later copy learns it is one before it connects to the display.
    bool Lock();
    // Starts listening for later copies; needs the application object. Call after Lock().
    bool Listen();
    // Lock() and Listen().
    bool Acquire();

    // Who carries out the requests of later copies. Until there is one (the window is still
    // being made), every request fails with a message.
    void SetRequestHandler(RequestHandler handler) { m_handler = std::move(handler); }

    // Hands a request to the running copy and waits for its answer. The connection is tried
    // again until `connectMs` have passed (the running copy may still be starting). Nothing
    // when no copy took the request or none answered within `answerMs`.
    std::optional<remote::Answer> Send(const remote::Request& request, int connectMs,
                                       int answerMs) const;

    const QString& LockPath() const { return m_lockPath; }
    const QString& ServerPath() const { return m_serverPath; }

private:
    void Serve();

    QString m_lockPath;
    QString m_serverPath;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer* m_server = nullptr;
    RequestHandler m_handler;
};

} // namespace tavolin
