// The hot key through the GlobalShortcuts portal, against a small fake portal on a private
// session bus: the trigger it asks for, the key pressed, and a key the desktop refuses.
#include "ui/hotkey/linux/PortalShortcut.h"

#include "ui/hotkey/GlobalHotKey.h"

#include <QDBusConnection>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>

namespace tavolin {

class PortalShortcutTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QProcess m_daemon, m_portal;
    QString m_address;

    QString Path(const QString& name) const { return m_dir->filePath(name); }
    QStringList Calls() const {
        QFile log(Path(QStringLiteral("calls.log")));
        if (!log.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(log.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    // The fake portal on the private bus, answering in `mode`.
    bool StartPortal(const QString& mode) {
        m_portal.start(QStringLiteral("/usr/bin/python3"),
                       {QStringLiteral(TAVOLIN_SOURCE_DIR "/tests/ui/hotkey/linux/fake_portal.py"),
                        m_address, Path(QStringLiteral("ready")), Path(QStringLiteral("calls.log")),
                        mode});
        QDeadlineTimer deadline(20000);
        while (!QFile::exists(Path(QStringLiteral("ready"))) && !deadline.hasExpired())
            QTest::qWait(50);
        return QFile::exists(Path(QStringLiteral("ready")));
    }
    QDBusConnection Bus(const QString& name) {
        return QDBusConnection::connectToBus(m_address, name);
    }

private slots:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        m_daemon.start(QStringLiteral("dbus-daemon"),
                       {QStringLiteral("--session"), QStringLiteral("--nofork"),
                        QStringLiteral("--print-address=1")});
        if (!m_daemon.waitForStarted(10000))
            QSKIP("dbus-daemon is not installed");
        QDeadlineTimer deadline(10000);
        while (!m_daemon.canReadLine() && !deadline.hasExpired())
            m_daemon.waitForReadyRead(200);
        m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
        QVERIFY2(!m_address.isEmpty(), "dbus-daemon gave no address");
    }
    void cleanup() {
        for (QProcess* p : {&m_portal, &m_daemon}) {
            p->kill();
            p->waitForFinished(5000);
        }
    }

    void theKeyIsBoundAsItsTriggerAndItsActivationArrives() {
        QVERIFY(!PortalShortcut::Available(Bus(QStringLiteral("before"))));
        QVERIFY(StartPortal(QStringLiteral("accept")));
        QDBusConnection bus = Bus(QStringLiteral("accept"));
        QVERIFY(PortalShortcut::Available(bus));

        QWidget window;
        GlobalHotKey key(std::make_unique<PortalShortcut>(bus), &window);
        QSignalSpy activated(&key, &GlobalHotKey::Activated);
        QSignalSpy taken(&key, &GlobalHotKey::Taken);
        QCOMPARE(key.Apply(QStringLiteral("Ctrl+Alt+Space")), HotKeyGrab::State::Waiting);
        QTRY_COMPARE(key.State(), HotKeyGrab::State::Held);
        QTRY_COMPARE(activated.size(), 1);
        QCOMPARE(taken.size(), 0);
        const QStringList calls = Calls();
        QCOMPARE(calls.size(), 2);
        QVERIFY(calls[0].startsWith(QStringLiteral("CreateSession ")));
        const QString session = calls[0].section(QLatin1Char(' '), 1);
        QCOMPARE(calls[1], QStringLiteral("BindShortcuts %1 show CTRL+ALT+space").arg(session));
        // The same key again asks nothing; off closes the session.
        QCOMPARE(key.Apply(QStringLiteral("Ctrl+Alt+Space")), HotKeyGrab::State::Held);
        QCOMPARE(key.Apply(QString()), HotKeyGrab::State::Off);
        QTRY_COMPARE(Calls().size(), 3);
        QCOMPARE(Calls()[2], QStringLiteral("Close ") + session);
    }

    void aRefusedKeyIsTaken() {
        QVERIFY(StartPortal(QStringLiteral("refuse")));
        QWidget window;
        GlobalHotKey key(std::make_unique<PortalShortcut>(Bus(QStringLiteral("refuse"))), &window);
        QSignalSpy taken(&key, &GlobalHotKey::Taken);
        QCOMPARE(key.Apply(QStringLiteral("Meta+Shift+F5")), HotKeyGrab::State::Waiting);
        QTRY_COMPARE(taken.size(), 1);
        QCOMPARE(taken[0][0].toString(), QStringLiteral("Meta+Shift+F5"));
        QCOMPARE(key.State(), HotKeyGrab::State::Taken);
        QVERIFY(Calls().last().endsWith(QStringLiteral(" show SHIFT+LOGO+F5")));
        QVERIFY(GlobalHotKey::TakenMessage(QStringLiteral("Meta+Shift+F5"))
                    .contains(QStringLiteral("F5")));
        // A key without Ctrl, Alt or the logo key (a hand-edited file) is never asked for.
        const qsizetype asked = Calls().size();
        QCOMPARE(key.Apply(QStringLiteral("Shift+F5")), HotKeyGrab::State::Invalid);
        QTest::qWait(200);
        QVERIFY(
            !Calls().mid(asked).join(QLatin1Char(' ')).contains(QStringLiteral("BindShortcuts")));
    }
};

} // namespace tavolin

QTEST_MAIN(tavolin::PortalShortcutTest)
#include "PortalShortcutTest.moc"
