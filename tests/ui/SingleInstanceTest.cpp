#include "ui/SingleInstance.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using tavolin::SingleInstance;

class SingleInstanceTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_runtime = std::make_unique<QTemporaryDir>();
        QVERIFY(m_runtime->isValid());
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime->path()));
        QFile::setPermissions(m_runtime->path(), QFile::ReadOwner | QFile::WriteOwner |
                                                     QFile::ExeOwner);
    }

    void namesCarryTheUserAndDisplayInTheRuntimeFolder() {
        qputenv("USER", "someone");
        qputenv("DISPLAY", ":7.0");
        SingleInstance instance(QStringLiteral("Tavolin_System_Mutex"));
        QVERIFY(instance.ServerPath().startsWith(m_runtime->path() + QLatin1Char('/')));
        QVERIFY(instance.ServerPath().contains(QStringLiteral("Tavolin_System_Mutex-someone-_7.0")));
        QVERIFY(instance.LockPath() != instance.ServerPath());
    }

    void aSecondCopyAsksTheFirstToComeForward() {
        SingleInstance first(QStringLiteral("Tavolin_Test"));
        QVERIFY(first.Acquire());
        QSignalSpy forward(&first, &SingleInstance::comeForwardRequested);

        SingleInstance second(QStringLiteral("Tavolin_Test"));
        QVERIFY(!second.Acquire());
        QVERIFY(second.AskRunningCopyToComeForward());
        QVERIFY(forward.wait(5000));
    }

    void nothingAnswersWhenNoCopyRuns() {
        SingleInstance lone(QStringLiteral("Tavolin_Test"));
        QVERIFY(!lone.AskRunningCopyToComeForward(200));
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
        QVERIFY(later.AskRunningCopyToComeForward());
    }

private:
    std::unique_ptr<QTemporaryDir> m_runtime;
};

QTEST_MAIN(SingleInstanceTest)
#include "SingleInstanceTest.moc"
