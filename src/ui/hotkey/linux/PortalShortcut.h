#pragma once

#include "ui/hotkey/HotKeyGrab.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QVariantMap>

namespace tavolin {

// The hot key through the desktop's org.freedesktop.portal.GlobalShortcuts (Wayland sessions,
// where no client can grab a key): one session with one shortcut, "show", whose preferred
// trigger is the key. The portal answers through Request objects, so Grab returns Waiting and
// Answered follows: Held when the portal bound the shortcut, Taken when it refused it.
class PortalShortcut : public HotKeyGrab {
    Q_OBJECT
public:
    explicit PortalShortcut(QDBusConnection bus, QObject* parent = nullptr);
    ~PortalShortcut() override;

    // Whether the bus has the portal with its GlobalShortcuts interface.
    static bool Available(const QDBusConnection& bus);

    State Grab(const QKeySequence& key) override;

    // The trigger as the portal takes it: "CTRL+ALT+space".
    static QString Trigger(const QKeySequence& key);

private slots:
    void OnResponse(uint response, const QVariantMap& results);
    void OnActivated(const QDBusMessage& signal);

private:
    // Calls a method that answers through a Request; false when the call itself failed.
    bool Request(const QString& method, const QList<QVariant>& arguments, const QString& token);
    void Bind();
    void CloseSession();

    QDBusConnection m_bus;
    QString m_trigger;
    QString m_session;
    QString m_pendingRequest;
    enum class Step { None, Creating, Binding } m_step = Step::None;
    int m_tokens = 0;
};

} // namespace tavolin
