#include "ui/launcher/ActivationTracker.h"

#include "core/launcher/Launcher.h"
#include "fakes/FakeLauncherWindow.h"
#include "fakes/FakePlatform.h"
#include "fakes/FakeView.h"
#include "ui/UiTestSupport.h"
#include "ui/launcher/WindowMover.h"
#include "ui/watch/InfoPanel.h"

#include <QLabel>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>

#include <memory>

using namespace tavolin;

// After a dialog the launcher asks to be the active window again. The window system's own
// choice of another window does not stop it; the user's change to yet another one does, and
// so does the end of the few seconds it asks for. The window is never shown, so the focus
// never comes: only the platform's active window decides.
class ActivationTrackerTest : public QObject {
    Q_OBJECT

    struct Rig {
        QTemporaryDir dir;
        testing::FakePlatform platform;
        testing::FakeView view;
        testing::FakeLauncherWindow launcherWindow;
        std::unique_ptr<Launcher> core;
        layout::WindowLayout layout = layout::DesignLayout();
        QWidget window;
        ActivationTracker* tracker = nullptr;

        Rig() {
            core =
                std::make_unique<Launcher>(platform, view, launcherWindow, testing::FilesIn(dir));
            auto label = [this] { return new QLabel(&window); };
            auto gauge = [this] { return new Gauge(&window); };
            auto* panel = new InfoPanel(
                platform, view, core->Settings(),
                {label(), gauge(), gauge(), gauge(), gauge(), label(), label(), label()}, &window);
            auto* mover = new WindowMover(window, platform, *core, layout);
            tracker = new ActivationTracker(window, platform, *core, layout, *panel, *mover,
                                            {[] {}, [] {}});
        }
    };

    enum class Then { UserChoosesAnother, WindowManagerChoiceStays, LauncherOpensItsOwn };

private slots:
    void theAsksStopAtTheUsersChoiceOrAfterAFewSeconds_data() {
        QTest::addColumn<int>("then");
        QTest::newRow("the user makes yet another window active") << int(Then::UserChoosesAnother);
        QTest::newRow("the window manager's choice stays") << int(Then::WindowManagerChoiceStays);
        // The about box opened straight after a dialog: asking on would close it again.
        QTest::newRow("the launcher opens a window of its own") << int(Then::LauncherOpensItsOwn);
    }

    void theAsksStopAtTheUsersChoiceOrAfterAFewSeconds() {
        QFETCH(int, then);
        Rig rig;
        rig.platform.activeWindow = NativeWindow{101};
        rig.tracker->ActivateAfterDialog();
        QTest::qWait(350);
        QVERIFY2(rig.tracker->Asking(), "the window manager's own choice is asked past");
        switch (Then(then)) {
        case Then::UserChoosesAnother:
            rig.platform.activeWindow = NativeWindow{202};
            QTRY_VERIFY_WITH_TIMEOUT(!rig.tracker->Asking(), 300);
            break;
        case Then::WindowManagerChoiceStays:
            QTest::qWait(1500);
            QVERIFY(rig.tracker->Asking());
            QTRY_VERIFY_WITH_TIMEOUT(!rig.tracker->Asking(), 3000);
            break;
        case Then::LauncherOpensItsOwn:
            rig.tracker->HoldActivation(true);
            QVERIFY(!rig.tracker->Asking());
            break;
        }
    }
};

QTEST_MAIN(ActivationTrackerTest)
#include "ActivationTrackerTest.moc"
