#include "ui/watch/InfoPanel.h"

#include "core/Platform.h"
#include "core/settings/ProfileFile.h"
#include "core/watch/DatePicture.h"
#include "fakes/FakePlatform.h"
#include "ui/UiTestSupport.h"
#include "ui/launcher/TFrmMain.h"
#include "ui/look/OptIcons.h"

#include <QDateTime>
#include <QLabel>
#include <QProgressBar>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

using namespace tavolin;
using tavolin::testing::FakePlatform;

class InfoPanelTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    FakePlatform m_platform;
    DataFiles m_files;

    void WriteSettings(const std::string& lines) {
        QFile f(m_dir->filePath(QStringLiteral("tavolin.ini")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(("[Window]\r\n" + lines).c_str());
    }

    std::unique_ptr<TFrmMain> Make() { return std::make_unique<TFrmMain>(m_platform, m_files); }

    template <typename T> static T* Find(TFrmMain& w, const char* name) {
        return w.findChild<T*>(QLatin1String(name));
    }

private slots:
    void initTestCase() { InstallIconFallback(); }

    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_platform = FakePlatform{};
        m_files = tavolin::testing::FilesIn(*m_dir);
    }

    // After start the panel holds the figures and the clock, and the timer samples at the
    // interval of the settings; with everything hidden it stops.
    void startShowsTheFiguresAndTheTimerFollowsTheSettings() {
        m_platform.freeResources[0] = 61;
        m_platform.freeResources[1] = 52;
        m_platform.freeResources[2] = 43;
        m_platform.processorUsage = 7;
        m_platform.memory = MemoryStatus{8ull << 30, 1536};
        WriteSettings("ShowTime=4\r\n");
        auto w = Make();
        QCOMPARE(Find<QProgressBar>(*w, "ggResSys")->value(), 61);
        QCOMPARE(Find<QProgressBar>(*w, "ggResGDI")->value(), 52);
        QCOMPARE(Find<QProgressBar>(*w, "ggResUser")->value(), 43);
        QCOMPARE(Find<QProgressBar>(*w, "ggCPU")->value(), 7);
        QCOMPARE(Find<QProgressBar>(*w, "ggCPU")->text(), QStringLiteral("7%"));
        QCOMPARE(Find<QLabel>(*w, "lblTotalMem")->text(), QStringLiteral("8,388,608KB"));
        QCOMPARE(Find<QLabel>(*w, "lblAvailMem")->text(), QStringLiteral("2KB"));
        // More than "000,000KB" still shows every digit.
        const QLabel* total = Find<QLabel>(*w, "lblTotalMem");
        QVERIFY(QFontMetrics(total->font()).horizontalAdvance(total->text()) <= total->width());
        const QString now = Find<QLabel>(*w, "lblNow")->text();
        QVERIFY2(
            QRegularExpression(QStringLiteral("^\\d{4}/\\d{1,2}/\\d{1,2}\\([日月火水木金土]\\) "
                                              "\\d\\d:\\d\\d$"))
                .match(now)
                .hasMatch(),
            qPrintable(now));
        QVERIFY(now.startsWith(QDate::currentDate().toString(QStringLiteral("yyyy/M/d"))));
        QTimer* tmRes = w->Panel().Timer();
        QVERIFY(tmRes->isActive());
        QCOMPARE(tmRes->interval(), 500);

        // The figures move with the timer.
        m_platform.processorUsage = 55;
        QTRY_COMPARE_WITH_TIMEOUT(Find<QProgressBar>(*w, "ggCPU")->value(), 55, 2000);

        WriteSettings("ShowRes=0\r\nShowMem=0\r\nShowDate=0\r\n");
        w->LoadSettings("");
        QVERIFY(!tmRes->isActive());
        QVERIFY(!Find<QLabel>(*w, "lblNow")->isVisibleTo(w.get()));

        // The information toggle samples at once: the figures it shows are current.
        m_platform.memory = MemoryStatus{4ull << 30, 2048};
        w->findChild<QAction*>(QStringLiteral("acInf"))->trigger();
        QCOMPARE(Find<QLabel>(*w, "lblTotalMem")->text(), QStringLiteral("4,194,304KB"));
    }

    // On this machine's own figures: the clock reads the time now in the default picture,
    // and every gauge and label holds a figure. A figure the system cannot give (Wine counts
    // no GDI and USER objects) is named once in the error box, and the others are shown.
    void realSystemFillsThePanel() {
        const std::unique_ptr<Platform> platform = CreatePlatform();
        const bool everyFigure = platform->FreeResource(ResourceKind::System) &&
                                 platform->FreeResource(ResourceKind::Gdi) &&
                                 platform->FreeResource(ResourceKind::User);
        const auto box = std::make_shared<QString>();
        if (!everyFigure)
            tavolin::testing::AnswerNextMessage(box, QStringLiteral("OK"));
        const std::string before = watch::FormatDate("yyyy/m/d(aaa) hh:nn", watch::LocalNow());
        TFrmMain w(*platform, m_files);
        if (!everyFigure)
            QVERIFY2(box->startsWith(QStringLiteral("リソースの情報を読み取れませんでした。")),
                     qPrintable(*box));
        const std::string after = watch::FormatDate("yyyy/m/d(aaa) hh:nn", watch::LocalNow());
        const std::string clock = Find<QLabel>(w, "lblNow")->text().toStdString();
        QVERIFY2(clock == before || clock == after, clock.c_str());
        for (const char* name : {"ggResSys", "ggResGDI", "ggResUser", "ggCPU"}) {
            const QProgressBar* g = Find<QProgressBar>(w, name);
            QVERIFY2(g->value() >= 0 && g->value() <= 100, name);
            QCOMPARE(g->text(), QStringLiteral("%1%").arg(g->value()));
        }
        const QRegularExpression kb(QStringLiteral("^\\d{1,3}(,\\d{3})*KB$"));
        for (const char* name : {"lblTotalMem", "lblAvailMem"}) {
            const QString text = Find<QLabel>(w, name)->text();
            QVERIFY2(kb.match(text).hasMatch() && text != QStringLiteral("000,000KB"),
                     qPrintable(text));
        }
        QVERIFY(QApplication::activeModalWidget() == nullptr);
    }

    // A low resource flashes the clock red and gives it back 50 ms later; the tick itself
    // returns at once.
    void flashingWatchNeverBlocks() {
        WriteSettings("ResWatchType=2\r\n");
        auto w = Make();
        auto* clock = Find<QLabel>(*w, "lblNow");
        const QColor ground = clock->palette().color(QPalette::Window);
        QCOMPARE(ground, QColor(Qt::black));
        m_platform.freeResources[2] = 20;
        w->Panel().ResTimer();
        QCOMPARE(clock->palette().color(QPalette::Window), QColor(Qt::red));
        QTRY_COMPARE_WITH_TIMEOUT(clock->palette().color(QPalette::Window), ground, 1000);
    }
};

QTEST_MAIN(InfoPanelTest)
#include "InfoPanelTest.moc"
