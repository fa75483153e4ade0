#include "ui/hotkey/linux/PortalShortcut.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusVariant>

namespace tavolin {

namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString kRequest = QStringLiteral("org.freedesktop.portal.Request");
const QString kShortcutId = QStringLiteral("show");

// One shortcut of BindShortcuts: (s id, a{sv} properties).
struct NewShortcut {
    QString id;
    QVariantMap properties;
};
QDBusArgument& operator<<(QDBusArgument& out, const NewShortcut& s) {
    out.beginStructure();
    out << s.id << s.properties;
    out.endStructure();
    return out;
}
const QDBusArgument& operator>>(const QDBusArgument& in, NewShortcut& s) {
    in.beginStructure();
    in >> s.id >> s.properties;
    in.endStructure();
    return in;
}

} // namespace

} // namespace tavolin

Q_DECLARE_METATYPE(tavolin::NewShortcut)

namespace tavolin {

PortalShortcut::PortalShortcut(QDBusConnection bus, QObject* parent)
    : HotKeyGrab(parent), m_bus(std::move(bus)) {
    qDBusRegisterMetaType<NewShortcut>();
    qDBusRegisterMetaType<QList<NewShortcut>>();
    m_bus.connect(kService, kPath, kInterface, QStringLiteral("Activated"), this,
                  SLOT(OnActivated(QDBusMessage)));
}

PortalShortcut::~PortalShortcut() {
    CloseSession();
}

bool PortalShortcut::Available(const QDBusConnection& bus) {
    if (!bus.isConnected() || !bus.interface()->isServiceRegistered(kService))
        return false;
    QDBusMessage get = QDBusMessage::createMethodCall(
        kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << kInterface << QStringLiteral("version");
    const QDBusMessage reply = bus.call(get, QDBus::Block, 3000);
    return reply.type() == QDBusMessage::ReplyMessage;
}

QString PortalShortcut::Trigger(const QKeySequence& key) {
    if (key.count() != 1)
        return {};
    const QKeyCombination combination = key[0];
    QStringList parts;
    const Qt::KeyboardModifiers mods = combination.keyboardModifiers();
    if (mods & Qt::ControlModifier)
        parts << QStringLiteral("CTRL");
    if (mods & Qt::AltModifier)
        parts << QStringLiteral("ALT");
    if (mods & Qt::ShiftModifier)
        parts << QStringLiteral("SHIFT");
    if (mods & Qt::MetaModifier)
        parts << QStringLiteral("LOGO");
    // The key by its keysym name: letters in lower case, "space", "F5", "Return", ...
    const int k = combination.key();
    QString name;
    if (k >= Qt::Key_A && k <= Qt::Key_Z)
        name = QChar(u'a' + (k - Qt::Key_A));
    else if (k >= Qt::Key_0 && k <= Qt::Key_9)
        name = QChar(u'0' + (k - Qt::Key_0));
    else if (k == Qt::Key_Space)
        name = QStringLiteral("space");
    else
        name = QKeySequence(k).toString(QKeySequence::PortableText);
    if (name.isEmpty())
        return {};
    parts << name;
    return parts.join(QLatin1Char('+'));
}

HotKeyGrab::State PortalShortcut::Grab(const QKeySequence& key) {
    CloseSession();
    if (key.isEmpty())
        return State::Off;
    m_trigger = Trigger(key);
    if (m_trigger.isEmpty())
        return State::Invalid;
    const QString token = QStringLiteral("tavolin%1").arg(++m_tokens);
    QVariantMap options{{QStringLiteral("handle_token"), token},
                        {QStringLiteral("session_handle_token"), token}};
    m_step = Step::Creating;
    if (!Request(QStringLiteral("CreateSession"), {options}, token)) {
        m_step = Step::None;
        return State::Unsupported;
    }
    return State::Waiting;
}

bool PortalShortcut::Request(const QString& method, const QList<QVariant>& arguments,
                             const QString& token) {
    // The request's object path is known before the call, so its answer cannot be missed.
    QString sender = m_bus.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    m_pendingRequest =
        QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
    m_bus.connect(kService, m_pendingRequest, kRequest, QStringLiteral("Response"), this,
                  SLOT(OnResponse(uint, QVariantMap)));
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
    call.setArguments(arguments);
    const QDBusMessage reply = m_bus.call(call, QDBus::Block, 5000);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        m_bus.disconnect(kService, m_pendingRequest, kRequest, QStringLiteral("Response"), this,
                         SLOT(OnResponse(uint, QVariantMap)));
        m_pendingRequest.clear();
        return false;
    }
    return true;
}

void PortalShortcut::OnResponse(uint response, const QVariantMap& results) {
    m_bus.disconnect(kService, m_pendingRequest, kRequest, QStringLiteral("Response"), this,
                     SLOT(OnResponse(uint, QVariantMap)));
    m_pendingRequest.clear();
    const Step step = m_step;
    m_step = Step::None;
    if (step == Step::Creating) {
        m_session = results.value(QStringLiteral("session_handle")).toString();
        if (response != 0 || m_session.isEmpty()) {
            emit Answered(State::Unsupported);
            return;
        }
        Bind();
    } else if (step == Step::Binding) {
        // 0: bound; 1: the user or the desktop refused the key; 2: failed.
        emit Answered(response == 0 ? State::Held : State::Taken);
    }
}

void PortalShortcut::Bind() {
    const QString token = QStringLiteral("tavolin%1").arg(++m_tokens);
    const QList<NewShortcut> shortcuts{
        {kShortcutId,
         {{QStringLiteral("description"), QStringLiteral("Tavolin を前面に出す")},
          {QStringLiteral("preferred_trigger"), m_trigger}}}};
    m_step = Step::Binding;
    if (!Request(QStringLiteral("BindShortcuts"),
                 {QVariant::fromValue(QDBusObjectPath(m_session)), QVariant::fromValue(shortcuts),
                  QString(), QVariantMap{{QStringLiteral("handle_token"), token}}},
                 token)) {
        m_step = Step::None;
        emit Answered(State::Unsupported);
    }
}

void PortalShortcut::OnActivated(const QDBusMessage& signal) {
    // (o session_handle, s shortcut_id, t timestamp, a{sv} options)
    const QList<QVariant> args = signal.arguments();
    if (args.size() < 2 || m_session.isEmpty())
        return;
    if (args[0].value<QDBusObjectPath>().path() == m_session && args[1].toString() == kShortcutId) {
        emit Activated();
    }
}

void PortalShortcut::CloseSession() {
    if (!m_pendingRequest.isEmpty()) {
        m_bus.disconnect(kService, m_pendingRequest, kRequest, QStringLiteral("Response"), this,
                         SLOT(OnResponse(uint, QVariantMap)));
        m_pendingRequest.clear();
    }
    m_step = Step::None;
    if (m_session.isEmpty())
        return;
    m_bus.send(QDBusMessage::createMethodCall(kService, m_session,
                                              QStringLiteral("org.freedesktop.portal.Session"),
                                              QStringLiteral("Close")));
    m_session.clear();
}

} // namespace tavolin
