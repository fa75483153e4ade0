#include "ui/commands/OptionToolbar.h"

#include "core/settings/ProfileFile.h"
#include "fakes/FakePlatform.h"
#include "ui/UiTestSupport.h"
#include "ui/commands/AboutBox.h"
#include "ui/commands/HelpViewer.h"
#include "ui/launcher/TFrmMain.h"
#include "ui/look/OptIcons.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <functional>
#include <memory>

using namespace tavolin;
using tavolin::testing::FakePlatform;

namespace {

// Answers the next message box with the button whose text is `button` (the first button when
// empty), keeping its text.
void AnswerNextMessage(QStringList& texts, const QString& button = {}, int triesLeft = 200) {
    QTimer::singleShot(10, [&texts, button, triesLeft] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            if (triesLeft > 0)
                AnswerNextMessage(texts, button, triesLeft - 1);
            return;
        }
        texts << box->text();
        for (QAbstractButton* b : box->buttons()) {
            if (button.isEmpty() || b->text() == button) {
                b->click();
                return;
            }
        }
    });
}

} // namespace

class OptionToolbarTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    FakePlatform m_platform;
    DataFiles m_files;
    std::unique_ptr<TFrmMain> m_window;

    QString Path(const QString& name) const { return m_dir->filePath(name); }
    QAction* Action(const char* name) const {
        return m_window->findChild<QAction*>(QLatin1String(name));
    }
    int Ini(const char* key) const {
        return ProfileFile(m_files.ini).ReadInteger("Window", key, -1);
    }

private slots:
    void initTestCase() { InstallIconFallback(); }

    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        m_platform = FakePlatform{};
        m_files = tavolin::testing::FilesIn(*m_dir);
        m_window = std::make_unique<TFrmMain>(m_platform, m_files);
        m_window->show();
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }

    void cleanup() {
        m_window.reset();
        delete HelpViewer::Existing();
    }

    void toolbarRowsRunTheirActions() {
        const char* buttons[] = {"tlbEnd",        "tlbHelp",       "tlbVer",        "tlbFrmStyle",
                                 "tlbIcoSize",    "tlbIcoCaption", "tlbPos",        "tlbSet",
                                 "tlbAdr",        "tlbCalender",   "tlbMemo",       "tlbSmall",
                                 "tlbSmallNot",   "tlbRecentClr",  "tlbWinReStart", "tlbWinReboot",
                                 "tlbWinSHUTDOWN"};
        for (const char* name : buttons) {
            auto* b = m_window->findChild<QToolButton*>(QLatin1String(name));
            QVERIFY2(b != nullptr && b->isEnabled() && b->defaultAction() != nullptr, name);
        }
        QCOMPARE(m_window->findChild<QToolButton*>(QStringLiteral("tlbSmall"))->y(), 22);
        QCOMPARE(Action("acWinReboot")->shortcut(), QKeySequence(Qt::ALT | Qt::Key_Home));
        QCOMPARE(Action("acEndPGM")->shortcut(), QKeySequence(Qt::Key_X));
    }

    void windowStyleIconsCaptionsAndPositionAreSaved() {
        // T by its key: a single letter while the window is active.
        QTest::keyClick(m_window.get(), Qt::Key_T);
        QVERIFY(!(m_window->windowFlags() & Qt::WindowStaysOnTopHint));
        QCOMPARE(Ini("FrmStyle"), 0);
        QCOMPARE(Action("acFrmStyle")->toolTip(), QStringLiteral("常に最前面に表示"));
        Action("acFrmStyle")->trigger();
        QVERIFY(m_window->windowFlags() & Qt::WindowStaysOnTopHint);
        QCOMPARE(Ini("FrmStyle"), 1);
        QCOMPARE(Action("acFrmStyle")->toolTip(), QStringLiteral("最下面に表示"));

        // The drop-down's bottom-right item, then the corner the window stands in.
        QMenu* pmPos = m_window->findChild<QMenu*>(QStringLiteral("pmPos"));
        pmPos->actions()[2]->trigger();
        QCOMPARE(Ini("WinPos"), 3);
        emit pmPos->aboutToShow();
        QVERIFY(pmPos->actions()[2]->isChecked() && !pmPos->actions()[0]->isChecked());
        // Shift+Enter: into the corner of the quadrant the window stands in.
        m_window->move(10, 10);
        QTest::keyClick(m_window.get(), Qt::Key_Return, Qt::ShiftModifier);
        QCOMPARE(Ini("WinPos"), 1);
        auto* tlb5 = m_window->findChild<QToolButton*>(QStringLiteral("tlb5"));
        Action("acIcoSize")->trigger();
        QCOMPARE(tlb5->iconSize(), QSize(32, 32));
        QCOMPARE(Ini("BtnSize"), 1);
        Action("acIcoCaption")->trigger();
        QCOMPARE(tlb5->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
        QCOMPARE(Ini("BtnCaption"), 1);
    }

    void togglesMinimiseAllAndOpensTheDialogs() {
        auto* btnInf = m_window->findChild<QPushButton*>(QStringLiteral("btnInf"));
        auto* btnOpt = m_window->findChild<QPushButton*>(QStringLiteral("btnOpt"));
        QTest::mouseClick(btnInf, Qt::LeftButton);
        QCOMPARE(btnInf->text(), QStringLiteral("→"));
        QCOMPARE(Ini("ShowRes"), 0);
        QCOMPARE(Ini("ShowMem"), 0);
        Action("acOpt")->trigger();
        QCOMPARE(btnOpt->text(), QStringLiteral("↓"));
        QCOMPARE(Ini("ShowOpt"), 0);

        Action("acSmall")->trigger();
        Action("acSmallNot")->trigger();
        QCOMPARE(m_platform.minimizeCalls, (std::vector<bool>{false, true}));

        // The options dialog opens for the window, on "情報枠"; Cancel closes it.
        QString title;
        int tab = -1;
        QTimer::singleShot(50, [&title, &tab] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal == nullptr)
                return;
            title = modal->windowTitle();
            if (auto* pgc = modal->findChild<QTabWidget*>(QStringLiteral("pgc"))) {
                tab = pgc->currentIndex();
            }
            if (auto* dialog = qobject_cast<QDialog*>(modal))
                dialog->reject();
        });
        Action("acSet")->trigger();
        QCOMPARE(title, QStringLiteral("オプション設定"));
        QCOMPARE(tab, 1);
    }

    void recentListMenuAndClearing() {
        m_platform.recent = {{"/docs/new.txt", "/docs/new.txt", "new.txt", 20},
                             {"/docs/old.txt", "/docs/old.txt", "old.txt", 10}};
        QMenu* pmRecent = m_window->findChild<QMenu*>(QStringLiteral("pmRecent"));
        emit pmRecent->aboutToShow();
        QList<QAction*> items = pmRecent->actions();
        QCOMPARE(items.size(), 6);
        QCOMPARE(items[0]->text(), QStringLiteral("/docs/new.txt"));
        QCOMPARE(items[1]->text(), QStringLiteral("/docs/old.txt"));
        QVERIFY(pmRecent->findChild<QAction*>(QStringLiteral("N35"))->isEnabled());
        items[1]->trigger();
        QCOMPARE(m_platform.opens.back().path, std::string("/docs/old.txt"));

        QStringList texts;
        AnswerNextMessage(texts, QStringLiteral("OK"));
        Action("acRecentClr")->trigger();
        QCOMPARE(texts,
                 QStringList{QStringLiteral("[最近使ったファイル]の一覧を削除してもいいですか？")});
        QVERIFY(m_platform.recent.empty());
        emit pmRecent->aboutToShow();
        QCOMPARE(pmRecent->actions().size(), 4);
        QVERIFY(!pmRecent->findChild<QAction*>(QStringLiteral("N35"))->isEnabled());
    }

    void sessionEndRefusedAndAccepted() {
        QStringList texts;
        m_platform.endSessionResult = false;
        AnswerNextMessage(texts, QStringLiteral("OK"));                 // the question
        QTimer::singleShot(50, [&texts] { AnswerNextMessage(texts); }); // the failure
        Action("acWinReboot")->trigger();
        QCOMPARE(texts.size(), 2);
        QVERIFY(texts[1].startsWith(
            QStringLiteral("コンピュータを再起動することが出来ませんでした。")));
        QVERIFY(m_window->isVisible() && m_window->isEnabled());
        // Saved before the request: the session might have ended the program.
        QVERIFY(QFile::exists(Path(QStringLiteral("tavolin.txt"))));

        m_platform.endSessionResult = true;
        AnswerNextMessage(texts, QStringLiteral("OK"));
        Action("acSHUTDOWN")->trigger();
        QVERIFY(!m_window->isVisible() && !m_window->isEnabled());
        auto* wait = m_window->findChild<QTimer*>(QStringLiteral("tmSessionEnd"));
        QVERIFY(wait->isActive());
        QCOMPARE(wait->interval(), OptionToolbar::kSessionEndWaitMs);
        // The session is still there after the wait: the window comes back.
        wait->start(1);
        QTRY_VERIFY(m_window->isVisible() && m_window->isEnabled());
        QCOMPARE(m_platform.sessionEnds,
                 (std::vector<SessionEnd>{SessionEnd::Reboot, SessionEnd::PowerOff}));
    }

    void helpAboutAndQuit() {
        Action("acHelp")->trigger();
        QVERIFY(HelpViewer::Existing() != nullptr && HelpViewer::Existing()->isVisible());
        Action("acHelpC")->trigger();
        QCOMPARE(HelpViewer::Existing()->CurrentContext(), 0);
        ShowHelp(29);
        QCOMPARE(HelpViewer::Existing()->CurrentContext(), 29);

        Action("acVer")->trigger();
        auto* about = m_window->findChild<TAboutBox*>(QStringLiteral("AboutBox"));
        QVERIFY(about != nullptr && about->isVisible());
        QVERIFY(!m_window->IsActiveLook());
        QCOMPARE(about->windowTitle(), QStringLiteral("Tavolin"));
        QCOMPARE(about->findChild<QLabel*>(QStringLiteral("Version"))->text(),
                 QStringLiteral("Version " TAVOLIN_VERSION));
        // The logo: the first frame at once and for two seconds, the others quickly.
        auto* timer = about->findChild<QTimer*>(QStringLiteral("Timer"));
        QTRY_COMPARE(about->Frame(), 1);
        QCOMPARE(timer->interval(), TAboutBox::kFirstFrameMs);
        timer->start(1);
        // The last frame shows for 10 ms of every cycle: looked for at every millisecond.
        QElapsedTimer waited;
        waited.start();
        while (about->Frame() != 5 && waited.elapsed() < 20000)
            QTest::qWait(1);
        QCOMPARE(about->Frame(), 5);
        QCOMPARE(timer->interval(), TAboutBox::kOtherFramesMs);
        QTRY_COMPARE(about->Frame(), 1);
        about->close();
        QTRY_VERIFY(m_window->findChild<TAboutBox*>(QStringLiteral("AboutBox")) == nullptr);

        Action("acEndPGM")->trigger();
        QVERIFY(!m_window->isVisible());
        QVERIFY(QFile::exists(Path(QStringLiteral("tavolin.txt"))));
    }
};

QTEST_MAIN(OptionToolbarTest)
#include "OptionToolbarTest.moc"
