#include "ui/RemoteControl.h"

#include "fakes/FakePlatform.h"
#include "ui/OptIcons.h"
#include "ui/TFrmMain.h"
#include "ui/UiTestSupport.h"

#include <QDialog>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

using namespace tavolin;
using namespace tavolin::remote;
using tavolin::testing::FakePlatform;

namespace {

Request Press(int slot) {
    Request r;
    r.press = slot;
    return r;
}

} // namespace

class RemoteControlTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    FakePlatform m_platform;
    DataFiles m_files;
    std::string m_target;

private slots:
    void initTestCase() { InstallIconFallback(); }

    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_platform = FakePlatform{};
        m_files = tavolin::testing::FilesIn(*m_dir);
        m_target = m_dir->filePath(QStringLiteral("five.sh")).toStdString();
        QFile(QString::fromStdString(m_target)).open(QIODevice::WriteOnly);
        QFile data(QString::fromStdString(m_files.txt));
        QVERIFY(data.open(QIODevice::WriteOnly));
        data.write("[Work]\r\n1:5=" + QByteArray::fromStdString(m_target) + " <TS>five<TE>\r\n");
    }

    void pressIsAnsweredBeforeItRunsAndAnEmptyButtonIsNeverBrowsed() {
        TFrmMain window(m_platform, m_files);
        int browsed = 0;
        window.Core().SetEmptyButtonHandler([&](int) { ++browsed; });
        RemoteControl remote(window);

        std::vector<std::pair<Answer, std::size_t>> replies; // answer, launches by then
        const auto reply = [&](const Answer& a) {
            replies.emplace_back(a, m_platform.opens.size());
        };
        remote.CarryOut(Press(5), reply);
        remote.CarryOut(Press(6), reply);
        QCOMPARE(replies.size(), std::size_t{2});
        QCOMPARE(replies[0].first, Answer{});
        QCOMPARE(replies[0].second, std::size_t{0});
        QCOMPARE(replies[1].first.status, kExitFailed);
        QCOMPARE(m_platform.opens.size(), std::size_t{1});
        QCOMPARE(m_platform.opens[0].path, m_target);
        QCOMPARE(browsed, 0);
    }

    void aDialogOpenInTheLauncherRefusesAllButComingForward() {
        TFrmMain window(m_platform, m_files);
        RemoteControl remote(window);
        QDialog dialog(&window);
        dialog.setModal(true);
        std::vector<Answer> replies;
        Request show;
        show.show = true;
        QTimer::singleShot(0, &dialog, [&] {
            QTRY_VERIFY(QApplication::activeModalWidget() == &dialog);
            for (const Request& r : {Press(5), show}) {
                remote.CarryOut(r, [&](const Answer& a) { replies.push_back(a); });
            }
            dialog.reject();
        });
        dialog.exec();
        QCOMPARE(replies.size(), std::size_t{2});
        QCOMPARE(replies[0].status, kExitFailed);
        QVERIFY(replies[0].message.find("dialog") != std::string::npos);
        QCOMPARE(replies[1], Answer{});
        QVERIFY(m_platform.opens.empty());
    }

    void quitClosesThroughTheClosePathBeforeItAnswers() {
        TFrmMain window(m_platform, m_files);
        window.show();
        RemoteControl remote(window);
        QFile::remove(QString::fromStdString(m_files.ini));
        bool savedWhenAnswered = false;
        Request quit;
        quit.quit = true;
        remote.CarryOut(quit, [&](const Answer& a) {
            savedWhenAnswered = a == Answer{} && !window.isVisible() &&
                                QFile::exists(QString::fromStdString(m_files.ini));
        });
        QVERIFY(savedWhenAnswered);
    }
};

QTEST_MAIN(RemoteControlTest)
#include "RemoteControlTest.moc"
