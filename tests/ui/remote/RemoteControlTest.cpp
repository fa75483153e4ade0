#include "ui/remote/RemoteControl.h"

#include "fakes/FakePlatform.h"
#include "ui/UiTestSupport.h"
#include "ui/launcher/TFrmMain.h"
#include "ui/look/OptIcons.h"

#include <QDialog>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
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

    void pressIsAnsweredWithTheLaunchsOutcomeAndAnEmptyButtonIsNeverBrowsed() {
        TFrmMain window(m_platform, m_files);
        int browsed = 0;
        window.Core().SetEmptyButtonHandler([&](int) { ++browsed; });
        RemoteControl remote(window);

        // Each answer, with the launches by then and whether a message box was up.
        struct Heard {
            Answer answer;
            std::size_t launches;
            bool boxShown;
        };
        std::vector<Heard> replies;
        const auto reply = [&](const Answer& a) {
            replies.push_back(
                {a, m_platform.opens.size(), QApplication::activeModalWidget() != nullptr});
        };
        remote.CarryOut(Press(5), reply);
        remote.CarryOut(Press(6), reply);
        // The target is gone: the caller hears so before the error box waits for a click.
        m_platform.openResult = open_result::kNotFound;
        auto seen = std::make_shared<QString>();
        tavolin::testing::AnswerNextMessage(seen, QStringLiteral("OK"));
        remote.CarryOut(Press(5), reply);

        QCOMPARE(replies.size(), std::size_t{3});
        QCOMPARE(replies[0].answer, Answer{});
        QCOMPARE(replies[0].launches, std::size_t{1});
        QCOMPARE(replies[1].answer.status, kExitFailed);
        QCOMPARE(replies[2].answer.status, kExitFailed);
        QCOMPARE(QString::fromStdString(replies[2].answer.message).simplified(),
                 seen->simplified());
        QCOMPARE(replies[2].launches, std::size_t{2});
        QVERIFY(!replies[2].boxShown);
        QVERIFY(!seen->isEmpty());
        QCOMPARE(m_platform.opens[0].path, m_target);
        QCOMPARE(browsed, 0);
    }

    // A dialog or a menu open in the launcher refuses every request but coming forward: a
    // page chosen under the button menu would make its commands act on another button.
    void anOpenDialogOrMenuRefusesAllButComingForward_data() {
        QTest::addColumn<bool>("menu");
        QTest::newRow("dialog") << false;
        QTest::newRow("button menu") << true;
    }
    void anOpenDialogOrMenuRefusesAllButComingForward() {
        QFETCH(bool, menu);
        QFile data(QString::fromStdString(m_files.txt));
        QVERIFY(data.open(QIODevice::WriteOnly));
        data.write("[Work]\r\n1:1=" + QByteArray::fromStdString(m_target) + " <TS>AAA<TE>\r\n2:1=" +
                   QByteArray::fromStdString(m_target) + " <TS>BBB<TE>\r\n");
        data.close();
        TFrmMain window(m_platform, m_files);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        RemoteControl remote(window);
        std::vector<Answer> replies;
        Request show;
        show.show = true;
        Request page2;
        page2.page = 2;
        const auto carryOut = [&] {
            for (const Request& r : {Press(1), page2, show})
                remote.CarryOut(r, [&](const Answer& a) { replies.push_back(a); });
        };
        if (menu) {
            auto* tlb1 = window.findChild<QToolButton*>(QStringLiteral("tlb1"));
            QTest::mouseClick(tlb1, Qt::RightButton, {}, tlb1->rect().center());
            auto* pmBtn = window.findChild<QMenu*>(QStringLiteral("pmBtn"));
            QTRY_VERIFY(QApplication::activePopupWidget() == pmBtn);
            carryOut();
            pmBtn->findChild<QAction*>(QStringLiteral("N1"))->trigger(); // 編集 → 削除
            pmBtn->hide();
        } else {
            QDialog dialog(&window);
            dialog.setModal(true);
            QTimer::singleShot(0, &dialog, [&] {
                QTRY_VERIFY(QApplication::activeModalWidget() == &dialog);
                carryOut();
                dialog.reject();
            });
            dialog.exec();
        }
        QCOMPARE(replies.size(), std::size_t{3});
        for (const std::size_t refused : {0, 1}) {
            QCOMPARE(replies[refused].status, kExitFailed);
            QVERIFY(replies[refused].message.find("dialog") != std::string::npos);
        }
        QCOMPARE(replies[2], Answer{});
        QVERIFY(m_platform.opens.empty());
        QVERIFY(window.Core().Store().CurrentPage() == "1");
        if (menu) {
            // The button the menu named is gone, the one on page 2 stays.
            QFile saved(QString::fromStdString(m_files.txt));
            QVERIFY(saved.open(QIODevice::ReadOnly));
            const QByteArray bytes = saved.readAll();
            QVERIFY(!bytes.contains("AAA"));
            QVERIFY(bytes.contains("<TS>BBB<TE>"));
        }
    }

    // The answer is the close's outcome: done once the settings and the page are saved, a
    // failure (with the message the launcher shows) when they cannot be.
    void quitClosesThroughTheClosePathBeforeItAnswers_data() {
        QTest::addColumn<bool>("writable");
        QTest::newRow("saved") << true;
        QTest::newRow("the files cannot be written") << false;
    }
    void quitClosesThroughTheClosePathBeforeItAnswers() {
        QFETCH(bool, writable);
        TFrmMain window(m_platform, m_files);
        window.show();
        RemoteControl remote(window);
        QFile::remove(QString::fromStdString(m_files.ini));
        if (!writable)
            m_platform.replaceFailure = "No space left on device";
        QtView::SetUnattended(!writable); // the failure's message box waits for no click
        std::vector<Answer> answers;
        bool savedWhenAnswered = false;
        Request quit;
        quit.quit = true;
        remote.CarryOut(quit, [&](const Answer& a) {
            answers.push_back(a);
            savedWhenAnswered = QFile::exists(QString::fromStdString(m_files.ini));
        });
        QtView::SetUnattended(false);
        QVERIFY(!window.isVisible());
        QCOMPARE(answers.size(), std::size_t{1});
        QCOMPARE(savedWhenAnswered, writable);
        if (writable) {
            QCOMPARE(answers[0], Answer{});
        } else {
            QCOMPARE(answers[0].status, kExitFailed);
            QVERIFY(answers[0].message.find("No space left on device") != std::string::npos);
        }
    }
};

QTEST_MAIN(RemoteControlTest)
#include "RemoteControlTest.moc"
