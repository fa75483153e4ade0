#include "ui/areas/DropAreas.h"

#include "fakes/FakePlatform.h"
#include "ui/UiTestSupport.h"
#include "ui/drop/DropAdapter.h"
#include "ui/launcher/TFrmMain.h"
#include "ui/look/OptIcons.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <QtTest>

#include <memory>

using namespace tavolin;
using tavolin::testing::FakePlatform;

namespace {

std::unique_ptr<QMimeData> Uris(const QStringList& uris) {
    auto data = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    for (const QString& u : uris)
        urls << QUrl(u);
    data->setUrls(urls);
    return data;
}

// A drag entering the launcher window over an area and dropped there, as the window system
// delivers them: the action the first move showed and the one the drop reported, or
// Qt::IgnoreAction where the window refused.
struct DragResult {
    Qt::DropAction shown = Qt::IgnoreAction;
    Qt::DropAction drop = Qt::IgnoreAction;
};
DragResult DragAndDrop(QWidget* window, QWidget* area, const QMimeData* data) {
    const QPointF at(area->mapTo(window, area->rect().center()));
    const auto actions = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
    DragResult r;
    QDragEnterEvent enter(at.toPoint(), actions, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window, &enter);
    if (!enter.isAccepted())
        return r;
    QDragMoveEvent move(at.toPoint(), actions, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window, &move);
    r.shown = move.dropAction();
    QDropEvent drop(at, actions, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window, &drop);
    if (drop.isAccepted())
        r.drop = drop.dropAction();
    return r;
}

} // namespace

class DropAreasTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    FakePlatform m_platform;

    std::unique_ptr<TFrmMain> Make(const char* settings) {
        QFile f(m_dir->filePath(QStringLiteral("tavolin.ini")));
        f.open(QIODevice::WriteOnly);
        f.write(settings);
        f.close();
        return std::make_unique<TFrmMain>(m_platform, tavolin::testing::FilesIn(*m_dir));
    }

private slots:
    void initTestCase() { InstallIconFallback(); }

    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_platform = FakePlatform{};
    }

    void onlyLocalFilesAreTaken() {
        struct Row {
            QStringList uris;
            std::vector<std::string> paths; // empty: refused
        };
        const Row rows[] = {
            {{QStringLiteral("file:///tmp/a%20b.txt"), QStringLiteral("file:///tmp/link/")},
             {"/tmp/a b.txt", "/tmp/link"}},
            {{QStringLiteral("file:///tmp/%83%5C.txt")}, {"/tmp/\x83\x5c.txt"}}, // not UTF-8
            {{QStringLiteral("file://localhost/tmp/x")}, {"/tmp/x"}},
            {{QStringLiteral("file:///tmp/x"), QStringLiteral("https://example.org/y")}, {}},
            {{QStringLiteral("file://otherhost/tmp/x")}, {}},
            {{QStringLiteral("trash:///x")}, {}},
            {{}, {}},
        };
        for (const Row& row : rows) {
            const auto data = Uris(row.uris);
            QCOMPARE(QtDropData::LocalFiles(*data, PathStyle::Posix), row.paths);
        }
        // On Windows a drive path has "\" only, and a file of a network share is its UNC path.
        const Row windowsRows[] = {
            {{QStringLiteral("file:///C:/Users/a%20b.txt")}, {"C:\\Users\\a b.txt"}},
            {{QStringLiteral("file://server/share/x"), QStringLiteral("file:///D:/y")},
             {"\\\\server\\share\\x", "D:\\y"}},
            {{QStringLiteral("file:///C:/x"), QStringLiteral("https://example.org/y")}, {}},
        };
        for (const Row& row : windowsRows) {
            const auto data = Uris(row.uris);
            QCOMPARE(QtDropData::LocalFiles(*data, PathStyle::Windows), row.paths);
        }
        QMimeData text;
        text.setText(QStringLiteral("/tmp/x"));
        QVERIFY(QtDropData::LocalFiles(text, PathStyle::Posix).empty());
    }

    // Files dropped on the recycle-bin area wait, blinking, and then go to the Trash; a drag
    // of something else is refused.
    void dropCountsDownAndRecycles() {
        auto w = Make("[Window]\r\nGomFlash=1\r\n");
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        auto* gom = w->findChild<QLabel*>(QStringLiteral("imgGom"));
        const QString idleHint = gom->toolTip();
        QCOMPARE(idleHint,
                 QStringLiteral("ファイルごみ箱エリア (ダブルクリックで「ごみ箱」を開く)"));

        const auto web = Uris({QStringLiteral("https://example.org/y")});
        QCOMPARE(DragAndDrop(w.get(), gom, web.get()).shown, Qt::IgnoreAction);

        const auto files = Uris(
            {QStringLiteral("file:///tmp/d/a.txt"), QStringLiteral("file:///tmp/d/b%20c.txt")});
        const DragResult r = DragAndDrop(w.get(), gom, files.get());
        QCOMPARE(r.shown, Qt::MoveAction);
        QCOMPARE(r.drop, Qt::IgnoreAction); // the source keeps its files until the batch runs
        QTRY_COMPARE(w->Areas().Batch().PendingList(),
                     (std::vector<std::string>{"/tmp/d/a.txt", "/tmp/d/b c.txt", "*Gom*"}));
        QCOMPARE(gom->toolTip(), QStringLiteral("ファイルごみ箱行き 待ち..."));
        QVERIFY(w->Areas().Timer()->isActive());
        QCOMPARE(w->Areas().Timer()->interval(), 500);

        QTRY_COMPARE_WITH_TIMEOUT(m_platform.deletes.size(), std::size_t{1}, 3000);
        QCOMPARE(m_platform.deletes[0].first,
                 (std::vector<std::string>{"/tmp/d/a.txt", "/tmp/d/b c.txt"}));
        QCOMPARE(m_platform.deletes[0].second, DeleteMode::Recycle);
        QCOMPARE(gom->toolTip(), idleHint);
        QVERIFY(!w->Areas().Timer()->isActive());
    }

    // A click on the counting area asks; Yes cancels. A double-click opens the computer view
    // and leaves the window where it is. Closing with a batch pending deletes nothing.
    void clickCancelsDoubleClickOpensAndCloseDeletesNothing() {
        auto w = Make("[Window]\r\nDelFlash=5\r\n");
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        auto* del = w->findChild<QLabel*>(QStringLiteral("imgDel"));
        const auto files = Uris({QStringLiteral("file:///tmp/d/a.txt")});
        DragAndDrop(w.get(), del, files.get());
        QTRY_VERIFY(!w->Areas().Batch().PendingList().empty());

        auto seen = std::make_shared<QString>();
        tavolin::testing::AnswerNextMessage(seen, QStringLiteral("はい(&Y)"));
        QTest::mouseClick(del, Qt::LeftButton);
        QCOMPARE(*seen, QStringLiteral("ファイルの削除を取り消しますか？\r\n\r\na.txt\r\n"));
        QVERIFY(w->Areas().Batch().PendingList().empty());
        QVERIFY(!w->Areas().Timer()->isActive());

        const QPoint where = w->pos();
        QTest::mouseDClick(del, Qt::LeftButton);
        QCOMPARE(m_platform.computerShown, 1);
        QCOMPARE(w->pos(), where);
        QVERIFY(QApplication::activeModalWidget() == nullptr);

        DragAndDrop(w.get(), del, files.get());
        QTRY_VERIFY(!w->Areas().Batch().PendingList().empty());
        w->close();
        QTest::qWait(600);
        QVERIFY(m_platform.deletes.empty());
    }
};

QTEST_MAIN(DropAreasTest)
#include "DropAreasTest.moc"
