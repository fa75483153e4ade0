#include "ui/auxwindow/TFrmAdr.h"

#include "core/settings/ProfileFile.h"
#include "fakes/FakePlatform.h"
#include "ui/UiTestSupport.h"
#include "ui/launcher/TFrmMain.h"
#include "ui/look/OptIcons.h"

#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <memory>

using namespace tavolin;
using tavolin::auxwindow::Mode;
using tavolin::testing::AnswerNextMessage;
using tavolin::testing::FakePlatform;

class TFrmAdrTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_oldCurrent;
    FakePlatform m_platform;
    DataFiles m_files;

    QString Path(const QString& name) const { return m_dir->filePath(name); }
    QByteArray Read(const QString& name) const {
        QFile f(Path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    std::string Ini(const char* section, const char* key) const {
        return ProfileFile(m_files.ini).ReadString(section, key, "<none>");
    }
    std::unique_ptr<TFrmAdr> Open(Mode mode) {
        auto w = std::make_unique<TFrmAdr>(m_platform, m_files, mode, nullptr);
        w->show();
        return w;
    }

private slots:
    void initTestCase() { InstallIconFallback(); }

    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QDir(m_dir->path()).mkpath(QStringLiteral("data"));
        QDir(m_dir->path()).mkpath(QStringLiteral("cwd"));
        m_oldCurrent = QDir::currentPath();
        QDir::setCurrent(Path(QStringLiteral("cwd")));
        m_platform = FakePlatform{};
        const auto p = [this](const char* n) {
            return Path(QStringLiteral("data/") + QLatin1String(n)).toStdString();
        };
        m_files = DataFiles{p("t.txt"), p("t.ini"), p("t.tmp"), p("t.tmp2")};
    }
    void cleanup() { QDir::setCurrent(m_oldCurrent); }

    void memoIsKeptBesideTheDataFilesAndGoesWhenBlank() {
        // A "Memo.txt" in the current folder is someone else's: never read, moved or removed.
        QFile other(Path(QStringLiteral("cwd/Memo.txt")));
        QVERIFY(other.open(QIODevice::WriteOnly));
        other.write("not the launcher's\r\n");
        other.close();
        {
            auto w = Open(Mode::Mem);
            auto* mem = w->findChild<QPlainTextEdit*>(QStringLiteral("mem"));
            QCOMPARE(mem->toPlainText(), QString());
            QCOMPARE(w->size(), QSize(350, 150)); // the first opening
            mem->insertPlainText(QStringLiteral("メモ"));
            QTest::keyClick(mem, Qt::Key_Return);
            QTest::keyClicks(mem, QStringLiteral("abc"));
            w->resize(400, 200);
            QTest::keyClick(w.get(), Qt::Key_Escape);
            QVERIFY(!w->isVisible());
        }
        QCOMPARE(Read(QStringLiteral("data/Memo.txt")), QByteArray("\x83\x81\x83\x82\r\nabc\r\n"));
        QCOMPARE(Ini("Mem", "Width"), std::string("400"));
        QCOMPARE(Ini("Mem", "Height"), std::string("200"));

        auto w = Open(Mode::Mem);
        QCOMPARE(w->size(), QSize(400, 200)); // the size of the last close
        auto* mem = w->findChild<QPlainTextEdit*>(QStringLiteral("mem"));
        QCOMPARE(mem->toPlainText(), QStringLiteral("メモ\nabc"));
        mem->setPlainText(QStringLiteral("  \n\n "));
        QTest::mouseClick(w->findChild<QPushButton*>(QStringLiteral("btnExit")), Qt::LeftButton);
        QVERIFY(!QFile::exists(Path(QStringLiteral("data/Memo.txt"))));
        QCOMPARE(Read(QStringLiteral("cwd/Memo.txt")), QByteArray("not the launcher's\r\n"));
    }

    // A memo that cannot be kept never traps the user: a file the program refused to read
    // closes untouched without a question; a failed write asks once, and いいえ stays.
    void memoThatCannotBeKeptAsksBeforeClosing() {
        QFile utf16(Path(QStringLiteral("data/Memo.txt")));
        QVERIFY(utf16.open(QIODevice::WriteOnly));
        utf16.write(QByteArray("\xFF\xFEm\0e\0m\0o\0", 10));
        utf16.close();
        const QByteArray before = Read(QStringLiteral("data/Memo.txt"));
        auto text = std::make_shared<QString>();
        AnswerNextMessage(text, QStringLiteral("OK"));
        auto w = Open(Mode::Mem);
        QTRY_VERIFY(text->contains(QStringLiteral("UTF-16 LE")));
        text->clear();
        QTest::keyClick(w.get(), Qt::Key_Escape);
        QVERIFY(!w->isVisible());
        QVERIFY(text->isEmpty());
        QCOMPARE(Read(QStringLiteral("data/Memo.txt")), before);

        QVERIFY(QFile::remove(Path(QStringLiteral("data/Memo.txt"))));
        w = Open(Mode::Mem);
        w->findChild<QPlainTextEdit*>(QStringLiteral("mem"))->setPlainText(QStringLiteral("typed"));
        m_platform.replaceFailure = "ディスクの空き容量が不足しています";
        AnswerNextMessage(text, QStringLiteral("いいえ"));
        QTest::keyClick(w.get(), Qt::Key_Escape);
        QCOMPARE(*text,
                 QStringLiteral("メモを保存できませんでした。ディスクの空き容量が不足しています"
                                "\r\n保存せずに閉じますか？"));
        QVERIFY(w->isVisible());
        AnswerNextMessage(text, QStringLiteral("はい(&Y)"));
        QTest::keyClick(w.get(), Qt::Key_Escape);
        QVERIFY(!w->isVisible());
        QVERIFY(!QFile::exists(Path(QStringLiteral("data/Memo.txt"))));
    }

    void addressBarOpensAddressesAndKeepsItsHistory() {
        QFile ini(Path(QStringLiteral("data/t.ini")));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[Address]\r\nTop=typed\r\n0=http://old.example/\r\n");
        ini.close();
        auto w = Open(Mode::Adr);
        auto* cmb = w->findChild<QComboBox*>(QStringLiteral("cmbAdr"));
        QCOMPARE(cmb->currentText(), QStringLiteral("typed"));
        QCOMPARE(cmb->count(), 1);
        QCOMPARE(w->width(), 450);
        const int height = w->height();
        w->resize(500, height + 100);
        QCOMPARE(w->height(), height); // fixed

        cmb->setEditText(QStringLiteral("www.example.com"));
        QTest::keyClick(cmb->lineEdit(), Qt::Key_Return);
        QCOMPARE(m_platform.openedAddresses, std::vector<std::string>{"http://www.example.com"});
        QVERIFY(w->isVisible()); // Enter opens, it does not close

        // A folder the file manager cannot show is opened as a button would be, which tells
        // the user what went wrong.
        const QString folder = Path(QStringLiteral("data"));
        m_platform.AddFolder(folder.toStdString());
        m_platform.showResult = false;
        cmb->setEditText(folder);
        QTest::keyClick(cmb->lineEdit(), Qt::Key_Return);
        QCOMPARE(m_platform.shownItems, std::vector<std::string>{folder.toStdString()});
        QCOMPARE(m_platform.opens.size(), 1u);
        QCOMPARE(m_platform.opens[0].path, folder.toStdString());
        m_platform.opens.clear();
        m_platform.showResult = true;

        // Files dropped on the bar go into the box and the history, and open nothing.
        const QString a = Path(QStringLiteral("data/a.txt"));
        const QString b = Path(QStringLiteral("data/b.txt"));
        QFile(a).open(QIODevice::WriteOnly);
        QFile(b).open(QIODevice::WriteOnly);
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(a), QUrl::fromLocalFile(b)});
        const QPoint at = cmb->mapTo(w.get(), cmb->rect().center());
        const auto actions = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
        QDragEnterEvent enter(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w.get(), &enter);
        QDragMoveEvent move(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w.get(), &move);
        QCOMPARE(move.dropAction(), Qt::LinkAction);
        QDropEvent drop(QPointF(at), actions, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w.get(), &drop);
        QCOMPARE(cmb->currentText(), b);
        QVERIFY(m_platform.opens.empty());

        QTest::keyClick(w.get(), Qt::Key_Escape);
        QCOMPARE(Ini("Address", "Top"), b.toStdString());
        QCOMPARE(Ini("Address", "0"), b.toStdString());
        QCOMPARE(Ini("Address", "1"), a.toStdString());
        QCOMPARE(Ini("Address", "2"), folder.toStdString());
        QCOMPARE(Ini("Address", "3"), std::string("www.example.com")); // as typed
        QCOMPARE(Ini("Address", "4"), std::string("http://old.example/"));
        QCOMPARE(Ini("Adr", "Width"), std::string("500"));
    }

    void calendarShowsTodayAndMovesByMonths() {
        auto w = Open(Mode::Cal);
        auto* mc = w->findChild<QCalendarWidget*>(QStringLiteral("mc"));
        QVERIFY(mc->isVisible());
        QVERIFY(!w->findChild<QPlainTextEdit*>(QStringLiteral("mem"))->isVisible());
        QCOMPARE(mc->selectedDate(), QDate::currentDate());
        QCOMPARE(mc->locale().language(), QLocale::Japanese);
        auto* exit = w->findChild<QPushButton*>(QStringLiteral("btnExit"));
        exit->setFocus();
        QTest::keyRelease(exit, Qt::Key_Down);
        QCOMPARE(mc->selectedDate(), QDate::currentDate().addMonths(12));
        exit->click();
        QVERIFY(Ini("Cal", "Height") != "<none>");
        QCOMPARE(Ini("Address", "Top"), std::string("<none>")); // only the address bar writes it
    }

    void memoOpenedFromTheToolbarIsKeptWhenTheLauncherCloses() {
        TFrmMain window(m_platform, m_files);
        window.show();
        auto* tlbMemo = window.findChild<QToolButton*>(QStringLiteral("tlbMemo"));
        const qint64 noMemo = tlbMemo->icon().cacheKey();
        // The session ends while the memo is open: the launcher's close path keeps it.
        QTimer::singleShot(50, [&window] {
            TFrmAdr* aux = TFrmAdr::Current();
            QVERIFY(aux != nullptr && aux->isVisible());
            aux->findChild<QPlainTextEdit*>(QStringLiteral("mem"))
                ->setPlainText(QStringLiteral("keep me"));
            window.close();
        });
        window.findChild<QAction*>(QStringLiteral("acMem"))->trigger();
        QCOMPARE(Read(QStringLiteral("data/Memo.txt")), QByteArray("keep me\r\n"));
        QVERIFY(tlbMemo->icon().cacheKey() != noMemo); // the picture of a memo
    }
};

QTEST_MAIN(TFrmAdrTest)
#include "TFrmAdrTest.moc"
