// The first opening of the launcher's options dialog, button menu or category menu in a
// fresh process: the launcher window is made over a data file and shown as at start, then
// one of them is opened as the user opens it, and the time runs until its first paint is
// done. Each run is one process, since only the first opening makes what is made on demand;
// bench/first_open.sh runs it repeatedly and reports the medians.
//
//   xvfb-run -a ./FirstOpenBench options|button-menu|category-menu DATA_FILE
#include "core/Platform.h"
#include "core/settings/Settings.h"
#include "ui/launcher/TFrmMain.h"
#include "ui/look/OptIcons.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace tavolin;

namespace {

// Reports the time at which a top-level widget that `matches` has finished its first paint.
class FirstPaint : public QObject {
public:
    FirstPaint(std::function<bool(QObject*)> matches, QElapsedTimer& clock)
        : m_matches(std::move(matches)), m_clock(clock) {}
    double ms = -1;
    QPointer<QWidget> shown;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && ms < 0 && shown == nullptr && m_matches(watched)) {
            shown = static_cast<QWidget*>(watched);
            // Stamped once this paint event has been handled.
            QTimer::singleShot(0,
                               [this] { ms = static_cast<double>(m_clock.nsecsElapsed()) / 1e6; });
        }
        return false;
    }

private:
    std::function<bool(QObject*)> m_matches;
    QElapsedTimer& m_clock;
};

} // namespace

int main(int argc, char* argv[]) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s options|button-menu|category-menu DATA_FILE\n", argv[0]);
        return 2;
    }
    const std::string what = argv[1];
    QApplication app(argc, argv);
    InstallIconFallback();
    const fs::path dir =
        fs::temp_directory_path() / ("tavolin-first-open-" + std::to_string(getpid()));
    fs::create_directories(dir);
    const DataFiles files = DataFilePaths((dir / "tavolin").string(), {}, PathStyle::Posix);
    fs::copy_file(argv[2], files.txt, fs::copy_options::overwrite_existing);
    const auto platform = CreatePlatform();
    {
        TFrmMain window(*platform, files);
        window.show();
        window.activateWindow();
        if (!QTest::qWaitForWindowExposed(&window))
            return 1;
        QTest::qWait(300); // start-up is over

        QElapsedTimer clock;
        FirstPaint paint(
            [&what](QObject* o) {
                if (what == "options")
                    return o->objectName() == QLatin1String("TFrmBtnSet");
                return o->objectName() ==
                       QLatin1String(what == "button-menu" ? "pmBtn" : "pmCategory");
            },
            clock);
        app.installEventFilter(&paint);
        const auto close = [&paint] {
            if (paint.shown != nullptr)
                paint.shown->close();
        };
        clock.start();
        if (what == "options") {
            // The dialog is modal: it is timed and closed from within its own event loop.
            QTimer poll;
            QObject::connect(&poll, &QTimer::timeout, [&] {
                if (paint.ms >= 0)
                    close();
            });
            poll.start(1);
            window.OpenOptions(1);
        } else if (what == "button-menu") {
            auto* button = window.findChild<QToolButton*>(QStringLiteral("tlb1"));
            QTest::mouseClick(window.windowHandle(), Qt::RightButton, {},
                              button->mapTo(&window, button->rect().center()));
        } else if (what == "category-menu") {
            window.findChild<QPushButton*>(QStringLiteral("bbtnCategory"))->click();
        } else {
            std::fprintf(stderr, "unknown: %s\n", what.c_str());
            return 2;
        }
        for (QDeadlineTimer limit(10000); paint.ms < 0 && !limit.hasExpired();)
            QTest::qWait(1);
        if (paint.ms < 0) {
            std::fprintf(stderr, "%s did not show\n", what.c_str());
            return 1;
        }
        close();
        std::printf("%s %.2f ms\n", what.c_str(), paint.ms);
        app.removeEventFilter(&paint);
    }
    fs::remove_all(dir);
    return 0;
}
