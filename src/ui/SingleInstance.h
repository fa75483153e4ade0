#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;
class QLockFile;

namespace tavolin {

// One running copy per user and display. The first copy holds a lock file and listens on a
// local socket, both in the user's runtime folder and named from `key`, the user and the
// display; a later copy finds the lock held and asks the first, through the socket, to
// come forward. The lock dies with its process, so a copy that crashed blocks nothing.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const QString& key, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this process is now the one copy (it holds the lock and listens).
    bool Acquire();
    // Asks the running copy to come forward. False when none answered in time, for example
    // while it is still starting.
    bool AskRunningCopyToComeForward(int timeoutMs = 2000) const;

    const QString& LockPath() const { return m_lockPath; }
    const QString& ServerPath() const { return m_serverPath; }

signals:
    // A later copy asked this one to come forward.
    void comeForwardRequested();

private:
    QString m_lockPath;
    QString m_serverPath;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer* m_server = nullptr;
};

} // namespace tavolin
