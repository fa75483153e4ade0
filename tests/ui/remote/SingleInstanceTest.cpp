#include "ui/remote/SingleInstance.h"

#include "ui/remote/LocalChannel.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <cstring>
#include <future>
#include <thread>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using tavolin::LockState;
using tavolin::SingleInstance;
using namespace tavolin::remote;

namespace {

struct Sent {
    std::optional<Answer> answer;
    std::optional<std::int64_t> allowedToComeForward;
};

// A later copy's request, sent from another thread while this one serves it.
std::future<Sent> SendLater(const Request& request, int connectMs = 2000, int answerMs = 5000) {
    return std::async(std::launch::async, [request, connectMs, answerMs] {
        SingleInstance later(QStringLiteral("Tavolin_Test"));
        Sent sent;
        sent.answer = later.Send(request, connectMs, answerMs);
        sent.allowedToComeForward = later.AllowedToComeForward();
        return sent;
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

#ifndef Q_OS_WIN
QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
}

// A child process that runs `work` (async-signal-safe calls only: this process has threads)
// and then waits to be killed; its pipe says when the work is done.
struct Child {
    pid_t pid = -1;
    int done = -1;
    Child(pid_t p, int d) : pid(p), done(d) {}
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    ~Child() { Kill(); }
    bool finished = false;
    bool Finished() {
        char byte = 0;
        finished = finished || read(done, &byte, 1) == 1;
        return finished;
    }
    void Kill() {
        if (pid <= 0)
            return;
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        close(done);
        pid = -1;
    }
};
template <typename Work> std::unique_ptr<Child> StartChild(Work work) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return nullptr;
    const pid_t pid = fork();
    if (pid == 0) {
        work();
        [[maybe_unused]] const auto n = write(fds[1], "1", 1);
        while (true)
            pause();
    }
    close(fds[1]);
    fcntl(fds[0], F_SETFL, O_NONBLOCK);
    return std::make_unique<Child>(pid, fds[0]);
}

// The socket address of a running copy's server.
sockaddr_un AddressOf(const QString& serverPath) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray path = QFile::encodeName(serverPath);
    std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()));
    return address;
}

int OpenDescriptors() {
    return static_cast<int>(Entries(QStringLiteral("/proc/self/fd")).size());
}
#endif

// Sends a request on the channel and reads the answer only after a pause, with no read
// waiting meanwhile (Qt's own Windows socket always has one).
QByteArray AskAndReadLate(const QString& name, const QByteArray& request) {
    QByteArray got;
#ifdef Q_OS_WIN
    const std::wstring path = (QStringLiteral("\\\\.\\pipe\\") + name).toStdWString();
    HANDLE pipe = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (pipe == INVALID_HANDLE_VALUE)
        return "not connected";
    DWORD count = 0;
    WriteFile(pipe, request.constData(), static_cast<DWORD>(request.size()), &count, nullptr);
    Sleep(500);
    char buffer[256];
    while (!got.endsWith('\n') && ReadFile(pipe, buffer, sizeof buffer, &count, nullptr) &&
           count > 0)
        got.append(buffer, static_cast<qsizetype>(count));
    CloseHandle(pipe);
#else
    tavolin::LocalChannelClient peer;
    if (!peer.Connect(name, QDeadlineTimer(2000)))
        return "not connected";
    peer.Write(request, QDeadlineTimer(2000));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const QDeadlineTimer by(3000);
    while (!got.endsWith('\n')) {
        const auto more = peer.Read(256, by);
        if (!more)
            break;
        got += *more;
    }
#endif
    return got;
}

// Answers every request with success, counting them in `handled`.
void AnswerEach(SingleInstance& instance, int& handled) {
    instance.SetRequestHandler([&handled](const Request&, const SingleInstance::Reply& reply) {
        ++handled;
        reply({});
    });
}

} // namespace

class SingleInstanceTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_runtime = std::make_unique<QTemporaryDir>();
        m_home = std::make_unique<QTemporaryDir>();
        m_shared = std::make_unique<QTemporaryDir>();
        QVERIFY(m_runtime->isValid() && m_home->isValid() && m_shared->isValid());
        QFile::setPermissions(m_runtime->path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        for (const char* name : {"XDG_RUNTIME_DIR", "HOME", "XDG_CACHE_HOME", "TMPDIR"})
            m_saved.append({name, qgetenv(name)});
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime->path()));
        qputenv("HOME", QFile::encodeName(m_home->path()));
        qunsetenv("XDG_CACHE_HOME");
    }

    void cleanup() {
        for (const auto& [name, value] : m_saved) {
            if (value.isNull())
                qunsetenv(name);
            else
                qputenv(name, value);
        }
        m_saved.clear();
    }

#ifndef Q_OS_WIN
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

    // The lock and the socket are only ever made where no other user can take their names
    // first: another user's lock planted in the shared temporary folder stops nothing and
    // hears nothing.
    void theLockAndSocketLiveInAFolderOfTheUsersAlone_data() {
        QTest::addColumn<QString>("runtime");  // "ok", "unset", "open", "link", "foreign"
        QTest::addColumn<bool>("home");        // whether there is a usable home folder
        QTest::addColumn<QString>("expected"); // "runtime", "home" or "none"
        QTest::newRow("the runtime folder") << "ok" << true << "runtime";
        QTest::newRow("no runtime folder, another user's lock in /tmp")
            << "unset" << true << "home";
        QTest::newRow("a runtime folder open to others") << "open" << true << "home";
        QTest::newRow("a runtime folder that is a link") << "link" << true << "home";
        QTest::newRow("another user's runtime folder") << "foreign" << true << "home";
        QTest::newRow("no private folder at all") << "unset" << false << "none";
    }
    void theLockAndSocketLiveInAFolderOfTheUsersAlone() {
        QFETCH(QString, runtime);
        QFETCH(bool, home);
        QFETCH(QString, expected);
        qputenv("USER", "someone");
        qputenv("DISPLAY", ":7");
        // The shared temporary folder: another user's lock under the names a copy would use
        // there, naming a live process, and Qt's fallback runtime folder made unusable.
        qputenv("TMPDIR", QFile::encodeName(m_shared->path()));
        QFile planted(m_shared->filePath(QStringLiteral("Tavolin_Test-someone-_7.lock")));
        QVERIFY(planted.open(QIODevice::WriteOnly));
        planted.write(QByteArray::number(QCoreApplication::applicationPid()) + "\n" +
                      QCoreApplication::applicationName().toUtf8() + "\n" +
                      QSysInfo::machineHostName().toUtf8() + "\n");
        planted.close();
        QFile notAFolder(m_shared->filePath(QStringLiteral("runtime-") +
                                            QString::fromLocal8Bit(getpwuid(geteuid())->pw_name)));
        QVERIFY(notAFolder.open(QIODevice::WriteOnly));
        notAFolder.close();
        const QStringList sharedBefore = Entries(m_shared->path());

        if (runtime == QLatin1String("unset")) {
            qunsetenv("XDG_RUNTIME_DIR");
        } else if (runtime == QLatin1String("open")) {
            QFile::setPermissions(m_runtime->path(), QFile::ReadOwner | QFile::WriteOwner |
                                                         QFile::ExeOwner | QFile::ReadOther |
                                                         QFile::ExeOther | QFile::WriteOther);
        } else if (runtime == QLatin1String("link")) {
            const QString link = m_home->filePath(QStringLiteral("link"));
            QVERIFY(QFile::link(m_runtime->path(), link));
            qputenv("XDG_RUNTIME_DIR", QFile::encodeName(link));
        } else if (runtime == QLatin1String("foreign")) {
            if (chown(QFile::encodeName(m_runtime->path()).constData(), 65534, 65534) != 0)
                QSKIP("only root can give a folder to another user");
        }
        if (!home) {
            // A home folder that is a file: nothing can be made under it.
            QFile file(m_home->filePath(QStringLiteral("home")));
            QVERIFY(file.open(QIODevice::WriteOnly));
            qputenv("HOME", QFile::encodeName(file.fileName()));
        }

        SingleInstance first(QStringLiteral("Tavolin_Test"));
        if (expected == QLatin1String("none")) {
            QCOMPARE(first.Lock(), LockState::Failed);
            QVERIFY(first.Error().find("no folder of the user's alone") != std::string::npos);
        } else {
            QVERIFY(first.Acquire());
            const QString folder = QFileInfo(first.LockPath()).path();
            QCOMPARE(QFileInfo(first.ServerPath()).path(), folder);
            if (expected == QLatin1String("runtime")) {
                QCOMPARE(folder, m_runtime->path());
            } else {
                QVERIFY(folder.startsWith(m_home->path() + QStringLiteral("/.cache/tavolin/")));
                QCOMPARE(QFileInfo(folder).permissions() & QFile::Permissions(0x0077),
                         QFile::Permissions{});
            }
            // A later copy of the user finds it and is answered.
            first.SetRequestHandler(
                [](const Request&, const SingleInstance::Reply& reply) { reply({}); });
            QCOMPARE(SingleInstance(QStringLiteral("Tavolin_Test")).Lock(), LockState::Held);
            auto sent = SendLater(Press(5));
            QTRY_VERIFY_WITH_TIMEOUT(Ready(sent), 5000);
            QCOMPARE(sent.get().answer, std::optional<Answer>(Answer{}));
        }
        QCOMPARE(Entries(m_shared->path()), sharedBefore);
    }

    // The lock belongs to a live process or to none: whatever a dead copy left, and a lock
    // file that names a live process (as a recycled process id does), never stops a start.
    void leftoversOfAnEndedCopyDoNotBlock_data() {
        QTest::addColumn<QString>("leftover");
        QTest::newRow("lock file of a dead process") << "dead";
        QTest::newRow("lock file naming a live process") << "live";
        QTest::newRow("a copy killed while it holds the lock") << "killed";
    }
    void leftoversOfAnEndedCopyDoNotBlock() {
        QFETCH(QString, leftover);
        SingleInstance probe(QStringLiteral("Tavolin_Test"));
        QFile lock(probe.LockPath());
        if (leftover == QLatin1String("killed")) {
            const QByteArray path = QFile::encodeName(probe.LockPath());
            const auto holder = StartChild([&path] {
                const int fd = open(path.constData(), O_RDWR | O_CREAT, 0600);
                flock(fd, LOCK_EX);
            });
            QVERIFY(holder);
            QTRY_VERIFY_WITH_TIMEOUT(holder->Finished(), 5000);
            QCOMPARE(SingleInstance(QStringLiteral("Tavolin_Test")).Lock(), LockState::Held);
            holder->Kill();
        } else {
            const qint64 pid = leftover == QLatin1String("dead")
                                   ? qint64{2147483000}
                                   : QCoreApplication::applicationPid();
            QVERIFY(lock.open(QIODevice::WriteOnly));
            lock.write(QByteArray::number(pid) + "\n" +
                       QCoreApplication::applicationName().toUtf8() + "\n" +
                       QSysInfo::machineHostName().toUtf8() + "\n");
            lock.close();
        }
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
        QCOMPARE(sent.get().answer,
                 std::optional<Answer>(Answer{kExitFailed, "the running copy is still starting"}));
    }

    // A burst of connections (a script gone wrong) neither uses up the running copy's
    // descriptors nor leaves it deaf: it listens again once the burst is over.
    void aFloodOfConnectionsLeavesTheRunningCopyListening_data() {
        QTest::addColumn<int>("spareDescriptors");
        QTest::newRow("more than are served at once") << 64;
        QTest::newRow("more than the open-file limit") << 6;
    }
    void aFloodOfConnectionsLeavesTheRunningCopyListening() {
        QFETCH(int, spareDescriptors);
        SingleInstance first(QStringLiteral("Tavolin_Test"));
        QVERIFY(first.Acquire());
        first.SetRequestHandler(
            [](const Request&, const SingleInstance::Reply& reply) { reply({}); });

        const sockaddr_un address = AddressOf(first.ServerPath());
        rlimit saved{};
        QCOMPARE(getrlimit(RLIMIT_NOFILE, &saved), 0);
        const auto flood = StartChild([&address] {
            for (int i = 0; i < 1100; ++i) {
                // Not waiting for room in the queue: a burst, as fast as connections go.
                const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
                if (fd < 0)
                    break;
                if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
                    close(fd);
            }
        });
        QVERIFY(flood);
        rlimit lowered = saved;
        lowered.rlim_cur = static_cast<rlim_t>(OpenDescriptors() + spareDescriptors);
        QCOMPARE(setrlimit(RLIMIT_NOFILE, &lowered), 0);
        const bool flooded = QTest::qWaitFor([&flood] { return flood->Finished(); }, 60000);
        flood->Kill();
        QTest::qWait(100);
        setrlimit(RLIMIT_NOFILE, &saved);
        QVERIFY(flooded);

        auto sent = SendLater(Press(5), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(Ready(sent), 8000);
        QCOMPARE(sent.get().answer, std::optional<Answer>(Answer{}));
    }

    // With no descriptor left for a waiting connection, the running copy neither spins on it
    // (the connection stays queued, and a server woken for it again and again burns a core)
    // nor stays deaf once descriptors are free again.
    void runningOutOfDescriptorsCostsNoProcessorTime() {
        SingleInstance first(QStringLiteral("Tavolin_Test"));
        QVERIFY(first.Acquire());
        first.SetRequestHandler(
            [](const Request&, const SingleInstance::Reply& reply) { reply({}); });
        const sockaddr_un address = AddressOf(first.ServerPath());
        const int peer = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        QVERIFY(peer >= 0);

        rlimit saved{};
        QCOMPARE(getrlimit(RLIMIT_NOFILE, &saved), 0);
        rlimit lowered = saved;
        lowered.rlim_cur = static_cast<rlim_t>(OpenDescriptors() + 8);
        QCOMPARE(setrlimit(RLIMIT_NOFILE, &lowered), 0);
        std::vector<int> filler;
        for (int fd = dup(peer); fd >= 0; fd = dup(peer))
            filler.push_back(fd);
        const bool connected =
            ::connect(peer, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
        const auto cpuMs = [] {
            rusage usage{};
            getrusage(RUSAGE_SELF, &usage);
            return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000 +
                   (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000;
        };
        const auto before = cpuMs();
        QTest::qWait(1500);
        const auto used = cpuMs() - before;
        for (const int fd : filler)
            close(fd);
        close(peer);
        setrlimit(RLIMIT_NOFILE, &saved);
        QVERIFY(connected);
        QVERIFY2(used < 300, qPrintable(QStringLiteral("%1 ms of processor time").arg(used)));

        auto sent = SendLater(Press(5), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(Ready(sent), 8000);
        QCOMPARE(sent.get().answer, std::optional<Answer>(Answer{}));
    }

    // A later copy that hangs up before its answer is written costs the running copy nothing:
    // the answer goes nowhere (no SIGPIPE ends the process) and the next copy is served.
    void aCopyThatHangsUpBeforeItsAnswerLeavesTheRunningCopyServing() {
        SingleInstance first(QStringLiteral("Tavolin_Test"));
        QVERIFY(first.Acquire());
        int handled = 0;
        AnswerEach(first, handled);
        const sockaddr_un address = AddressOf(first.ServerPath());
        const std::string request = EncodeRequest(Press(5));
        for (int i = 0; i < 3; ++i) {
            const int peer = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
            QVERIFY(::connect(peer, reinterpret_cast<const sockaddr*>(&address), sizeof address) ==
                    0);
            QCOMPARE(send(peer, request.data(), request.size(), 0),
                     static_cast<ssize_t>(request.size()));
            close(peer);
        }
        QTRY_COMPARE_WITH_TIMEOUT(handled, 3, 5000);
        auto sent = SendLater(Press(5));
        QTRY_VERIFY_WITH_TIMEOUT(Ready(sent), 5000);
        QCOMPARE(sent.get().answer, std::optional<Answer>(Answer{}));
    }
#else
    // The mutex is the session's and the pipe carries the session; both carry the user.
    void namesCarryTheSessionAndTheUser() {
        SingleInstance instance(QStringLiteral("Tavolin_System_Mutex"));
        QVERIFY(QRegularExpression(QStringLiteral("^Local\\\\Tavolin_System_Mutex-S-1-[0-9-]+"))
                    .match(instance.LockPath())
                    .hasMatch());
        QVERIFY(QRegularExpression(QStringLiteral("^Tavolin_System_Mutex-[0-9]+-S-1-[0-9-]+"))
                    .match(instance.ServerPath())
                    .hasMatch());
    }
#endif

    void aLaterCopysRequestIsCarriedOutAndAnswered() {
        SingleInstance first(QStringLiteral("Tavolin_Test"));
        QVERIFY(first.Acquire());
        QList<Request> received;
        first.SetRequestHandler([&](const Request& r, const SingleInstance::Reply& reply) {
            received.append(r);
            reply(r.press == 6 ? Answer{kExitFailed, "F6 is empty"} : Answer{});
        });

#ifndef Q_OS_WIN
        // Only its user can open the socket.
        QCOMPARE(QFileInfo(first.ServerPath()).permissions() &
                     (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther),
                 QFile::Permissions{});
#endif

        SingleInstance second(QStringLiteral("Tavolin_Test"));
        QCOMPARE(second.Lock(), LockState::Held);
        Request show;
        show.show = true;
        for (const auto& [request, answer] :
             {std::pair{show, Answer{}}, std::pair{Press(6), Answer{kExitFailed, "F6 is empty"}}}) {
            auto sent = SendLater(request);
            QTRY_VERIFY_WITH_TIMEOUT(Ready(sent), 5000);
            const Sent result = sent.get();
            QCOMPARE(result.answer, std::optional<Answer>(answer));
            // The running copy (this process) may come in front of the later copy's program.
            QCOMPARE(result.allowedToComeForward,
                     std::optional<std::int64_t>(QCoreApplication::applicationPid()));
        }
        QCOMPARE(received, (QList<Request>{show, Press(6)}));
    }

    // The answer waits for a later copy that reads it late: a named pipe dropped at once
    // takes along what the other end has not read.
    void aCopyThatReadsLateStillGetsItsAnswer() {
        SingleInstance first(QStringLiteral("Tavolin_Test"));
        QVERIFY(first.Acquire());
        first.SetRequestHandler([](const Request&, const SingleInstance::Reply& reply) {
            reply({kExitFailed, "F5 is empty"});
        });
        const QString name = first.ServerPath();
        const QByteArray request = QByteArray::fromStdString(EncodeRequest(Press(5)));
        auto heard = std::async(std::launch::async,
                                [name, request] { return AskAndReadLate(name, request); });
        QTRY_VERIFY_WITH_TIMEOUT(Ready(heard), 8000);
        QCOMPARE(heard.get(), QByteArray::fromStdString(EncodeAnswer(kExitFailed, "F5 is empty")));
    }

    void malformedRequestsAreIgnoredAndTheChannelServesOn() {
        SingleInstance first(QStringLiteral("Tavolin_Test"));
        QVERIFY(first.Acquire());
        int handled = 0;
        AnswerEach(first, handled);
        const QByteArray bad[] = {"request press=99\n", "come-forward\n",
                                  QByteArray(100000, 'x') + "\n",
                                  "request press=5", // never finished: dropped after a while
                                  ""};               // nothing at all: the same
        const QString name = first.ServerPath();
        for (const QByteArray& bytes : bad) {
            auto heard = std::async(std::launch::async, [name, bytes]() -> QByteArray {
                tavolin::LocalChannelClient peer;
                if (!peer.Connect(name, QDeadlineTimer(2000)))
                    return "not connected";
                // Refused part way through when the running copy hangs up first.
                peer.Write(bytes, QDeadlineTimer(2000));
                const QDeadlineTimer by(5000);
                const auto got = peer.Read(256, by);
                return got ? *got : by.hasExpired() ? "still connected" : QByteArray();
            });
            // The running copy hangs up without an answer.
            QTRY_VERIFY_WITH_TIMEOUT(Ready(heard), 8000);
            QCOMPARE(heard.get(), QByteArray());
        }
        QCOMPARE(handled, 0);
        auto sent = SendLater(Press(5));
        QTRY_VERIFY_WITH_TIMEOUT(Ready(sent), 5000);
        QCOMPARE(sent.get().answer, std::optional<Answer>(Answer{}));
        QCOMPARE(handled, 1);
    }

    // Peers beyond those served at once wait their turn: sixteen that connect and say nothing
    // hold every place until their time runs out (and are dropped then), and the requests
    // behind them are all answered, not turned away.
    void requestsBeyondThoseServedAtOnceWaitTheirTurn() {
        SingleInstance first(QStringLiteral("Tavolin_Test"));
        QVERIFY(first.Acquire());
        int handled = 0;
        AnswerEach(first, handled);
        const QString name = first.ServerPath();
        std::vector<std::future<bool>> idle; // each: hung up on before its own deadline
        for (int i = 0; i < 16; ++i) {
            idle.push_back(std::async(std::launch::async, [name] {
                tavolin::LocalChannelClient peer;
                if (!peer.Connect(name, QDeadlineTimer(2000)))
                    return false;
                const QDeadlineTimer by(5000);
                return !peer.Read(256, by) && !by.hasExpired();
            }));
        }
        QTest::qWait(300);
        std::vector<std::future<Sent>> sent;
        for (int i = 0; i < 24; ++i)
            sent.push_back(SendLater(Press(5), 5000));
        const auto allReady = [](const auto& futures) {
            return std::all_of(futures.begin(), futures.end(),
                               [](const auto& f) { return Ready(f); });
        };
        QTRY_VERIFY_WITH_TIMEOUT(allReady(idle) && allReady(sent), 10000);
        for (auto& peer : idle)
            QVERIFY(peer.get());
        for (auto& request : sent)
            QCOMPARE(request.get().answer, std::optional<Answer>(Answer{}));
        QCOMPARE(handled, 24);
    }

    void aCopyStillStartingIsWaitedFor() {
        SingleInstance first(QStringLiteral("Tavolin_Test"));
        QCOMPARE(first.Lock(), LockState::Taken);
        first.SetRequestHandler(
            [](const Request&, const SingleInstance::Reply& reply) { reply({}); });
        auto sent = SendLater(Press(5), 5000);
        QTest::qWait(300); // the later copy finds the lock but nothing to connect to yet
        QVERIFY(!Ready(sent));
        QVERIFY(first.Listen());
        QTRY_VERIFY_WITH_TIMEOUT(Ready(sent), 5000);
        QCOMPARE(sent.get().answer, std::optional<Answer>(Answer{}));
    }

    void nothingAnswersWhenNoCopyRuns() {
        SingleInstance lone(QStringLiteral("Tavolin_Test"));
        QVERIFY(!lone.Send(Request{}, 200, 200));
    }

    // A running copy that takes a request and never answers keeps a later copy waiting no
    // longer than it asked to wait.
    void aLaterCopyGivesUpOnAnAnswerThatDoesNotCome() {
        SingleInstance first(QStringLiteral("Tavolin_Test"));
        QVERIFY(first.Acquire());
        QList<SingleInstance::Reply> pending;
        first.SetRequestHandler(
            [&](const Request&, const SingleInstance::Reply& reply) { pending.append(reply); });
        QElapsedTimer clock;
        clock.start();
        auto sent = SendLater(Press(5), 2000, 500);
        QTRY_VERIFY_WITH_TIMEOUT(Ready(sent), 5000);
        QCOMPARE(sent.get().answer, std::nullopt);
        QCOMPARE(pending.size(), 1);
        QVERIFY(clock.elapsed() < 3000);
    }

    void theLockIsFreeAgainWhenTheFirstCopyEnds() {
        {
            SingleInstance first(QStringLiteral("Tavolin_Test"));
            QVERIFY(first.Acquire());
        }
        SingleInstance next(QStringLiteral("Tavolin_Test"));
        QVERIFY(next.Acquire());
    }

private:
    std::unique_ptr<QTemporaryDir> m_runtime;
    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<QTemporaryDir> m_shared;
    QList<std::pair<const char*, QByteArray>> m_saved;
};

QTEST_MAIN(SingleInstanceTest)
#include "SingleInstanceTest.moc"
