#include "ui/SingleInstance.h"

#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QtTest>

#include <future>

using tavolin::SingleInstance;
using namespace tavolin::remote;

namespace {

// A later copy's request, sent from another thread while this one serves it.
std::future<std::optional<Answer>> SendLater(const Request& request, int connectMs = 2000) {
    return std::async(std::launch::async, [request, connectMs] {
        SingleInstance later(QStringLiteral("Tavolin_Test"));
        return later.Send(request, connectMs, 5000);
    });
}

template <typename T> bool Ready(const std::future<T>& f) {
    return f.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
}

Request Press(int slot) {
    Request r;
    r.press = slot;
    return r;
}

} // namespace

class SingleInstanceTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_runtime = std::make_unique<QTemporaryDir>();
        QVERIFY(m_runtime->isValid());
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime->path()));
        QFile::setPermissions(m_runtime->path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void namesCarryTheUserAndDisplayInTheRuntimeFolder() {
        qputenv("USER", "someone");
        qputenv("DISPLAY", ":7.0");
        SingleInstance instance(QStringLiteral("Tavolin_System_Mutex"));
        QVERIFY(instance.ServerPath().startsWith(m_runtime->path() + QLatin1Char('/')));
        QVERIFY(instance.ServerPath().endsWith(
            QStringLiteral("Tavolin_System_Mutex-someone-_7.socket")));
        QVERIFY(instance.LockPath() != instance.ServerPath());
        // Another spelling of the same display is the same instance.
        qputenv("DISPLAY", "unix:7");
        QCOMPARE(SingleInstance(QStringLiteral("Tavolin_System_Mutex")).ServerPath(),
                 instance.ServerPath());
    }

    void aLaterCopysRequestIsCarriedOutAndAnswered() {
        SingleInstance first(QStringLiteral("Tavolin_Test"));
        QVERIFY(first.Acquire());
        QList<Request> received;
        first.SetRequestHandler([&](const Request& r, const SingleInstance::Reply& reply) {
            received.append(r);
            reply(r.press == 6 ? Answer{kExitFailed, "F6 is empty"} : Answer{});
        });

        // Only its user can open the socket.
        QCOMPARE(QFileInfo(first.ServerPath()).permissions() &
                     (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther),
                 QFile::Permissions{});

        SingleInstance second(QStringLiteral("Tavolin_Test"));
        QVERIFY(!second.Lock());
        Request show;
        show.show = true;
        for (const auto& [request, answer] :
             {std::pair{show, Answer{}}, std::pair{Press(6), Answer{kExitFailed, "F6 is empty"}}}) {
            auto sent = SendLater(request);
            QTRY_VERIFY_WITH_TIMEOUT(Ready(sent), 5000);
            QCOMPARE(sent.get(), std::optional<Answer>(answer));
        }
        QCOMPARE(received, (QList<Request>{show, Press(6)}));
    }

    void malformedRequestsAreIgnoredAndTheChannelServesOn() {
        SingleInstance first(QStringLiteral("Tavolin_Test"));
        QVERIFY(first.Acquire());
        int handled = 0;
        first.SetRequestHandler([&](const Request&, const SingleInstance::Reply& reply) {
            ++handled;
            reply({});
        });
        const QByteArray bad[] = {"request press=99\n", "come-forward\n",
                                  QByteArray(100000, 'x') + "\n",
                                  "request press=5"}; // never finished: dropped after a while
        for (const QByteArray& bytes : bad) {
            QLocalSocket peer;
            peer.connectToServer(first.ServerPath());
            QVERIFY(peer.waitForConnected(2000));
            peer.write(bytes);
            // The running copy hangs up without an answer.
            QTRY_COMPARE_WITH_TIMEOUT(peer.state(), QLocalSocket::UnconnectedState, 5000);
            QVERIFY(peer.readAll().isEmpty());
        }
        QCOMPARE(handled, 0);
        auto sent = SendLater(Press(5));
        QTRY_VERIFY_WITH_TIMEOUT(Ready(sent), 5000);
        QCOMPARE(sent.get(), std::optional<Answer>(Answer{}));
        QCOMPARE(handled, 1);
    }

    void aCopyStillStartingIsWaitedFor() {
        SingleInstance first(QStringLiteral("Tavolin_Test"));
        QVERIFY(first.Lock());
        first.SetRequestHandler(
            [](const Request&, const SingleInstance::Reply& reply) { reply({}); });
        auto sent = SendLater(Press(5), 5000);
        QTest::qWait(300); // the later copy finds the lock but nothing to connect to yet
        QVERIFY(!Ready(sent));
        QVERIFY(first.Listen());
        QTRY_VERIFY_WITH_TIMEOUT(Ready(sent), 5000);
        QCOMPARE(sent.get(), std::optional<Answer>(Answer{}));
    }

    void nothingAnswersWhenNoCopyRuns() {
        SingleInstance lone(QStringLiteral("Tavolin_Test"));
        QVERIFY(!lone.Send(Request{}, 200, 200));
    }

    void theLockIsFreeAgainWhenTheFirstCopyEnds() {
        {
            SingleInstance first(QStringLiteral("Tavolin_Test"));
            QVERIFY(first.Acquire());
        }
        SingleInstance next(QStringLiteral("Tavolin_Test"));
        QVERIFY(next.Acquire());
    }

    void leftoversOfACrashedCopyDoNotBlock() {
        // A dead process's lock file and socket file, as a crash leaves them.
        SingleInstance probe(QStringLiteral("Tavolin_Test"));
        QFile lock(probe.LockPath());
        QVERIFY(lock.open(QIODevice::WriteOnly));
        lock.write("2147483000\nTavolin\n" + QSysInfo::machineHostName().toUtf8() + "\n");
        lock.close();
        QFile socket(probe.ServerPath());
        QVERIFY(socket.open(QIODevice::WriteOnly));
        socket.close();

        SingleInstance next(QStringLiteral("Tavolin_Test"));
        QVERIFY(next.Acquire());
        SingleInstance later(QStringLiteral("Tavolin_Test"));
        QVERIFY(!later.Acquire());
        // Nothing carries out requests yet: the later copy is told so.
        auto sent = SendLater(Press(5));
        QTRY_VERIFY_WITH_TIMEOUT(Ready(sent), 5000);
        QCOMPARE(sent.get(),
                 std::optional<Answer>(Answer{kExitFailed, "the running copy is still starting"}));
    }

private:
    std::unique_ptr<QTemporaryDir> m_runtime;
};

QTEST_MAIN(SingleInstanceTest)
#include "SingleInstanceTest.moc"
