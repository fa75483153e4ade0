#include "ui/launcher/TFrmMain.h"

#include "core/settings/ProfileFile.h"
#include "core/text/Cp932.h"
#include "fakes/FakePlatform.h"
#include "ui/UiTestSupport.h"
#include "ui/look/OptIcons.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <memory>

using namespace tavolin;
using tavolin::testing::FakePlatform;

namespace {

void WriteCp932(const QString& path, const std::string& utf8) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    const auto bytes = text::EncodeCp932(utf8);
    QVERIFY(bytes.has_value());
    f.write(bytes->data(), static_cast<qint64>(bytes->size()));
}

// Widget geometry inside the frame, as the layout computes it.
QRect Inner(const QWidget* w) {
    return w->geometry().translated(-layout::kFrameWidth, -layout::kFrameWidth);
}

} // namespace

class TFrmMainTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    FakePlatform m_platform;
    DataFiles m_files;

    QString Path(const QString& name) const { return m_dir->filePath(name); }

    std::string Script(const QString& name) {
        const QString p = Path(name);
        QFile f(p);
        f.open(QIODevice::WriteOnly);
        f.write("#!/bin/sh\n");
        return p.toStdString();
    }

    std::unique_ptr<TFrmMain> Make() { return std::make_unique<TFrmMain>(m_platform, m_files); }

    std::unique_ptr<TFrmMain> MakeActive() {
        auto w = Make();
        w->show();
        w->activateWindow();
        if (!QTest::qWaitForWindowActive(w.get()))
            return nullptr;
        return w;
    }

    int IniInteger(const char* key, int fallback = -999) const {
        return ProfileFile(m_files.ini).ReadInteger("Window", key, fallback);
    }

private slots:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_platform = FakePlatform{};
        m_files = tavolin::testing::FilesIn(*m_dir);
    }

    void initTestCase() { InstallIconFallback(); }

    void firstStartShowsTheDefaultWindowInTheTopLeftCorner() {
        auto w = Make();
        // Every control the window is made of, by its name.
        for (const char* name :
             {"lblTitle",    "bbtnCategory", "edtPage",   "udPage",     "btnInf",
              "tlbExc",      "bvlInf",       "lblResSys", "lblResGDI",  "lblResUser",
              "lblCPU",      "ggResSys",     "ggResGDI",  "ggResUser",  "ggCPU",
              "lblAvailMem", "lblTotalMem",  "btnOpt",    "lblNow",     "bvlOpt",
              "tlbOpt",      "imgDel",       "imgGom",    "pmCategory", "tlbFrmStyle",
              "tlbPos"}) {
            QVERIFY2(w->findChild<QWidget*>(QLatin1String(name)) != nullptr, name);
        }
        for (int n = 1; n <= 24; ++n) {
            QVERIFY(w->findChild<QToolButton*>(QStringLiteral("tlb%1").arg(n)) != nullptr);
            QVERIFY(w->findChild<QAction*>(QStringLiteral("acF%1").arg(n)) != nullptr);
        }
        QCOMPARE(w->findChild<QAction*>(QStringLiteral("acF5"))->shortcut(),
                 QKeySequence(Qt::Key_F5));
        QCOMPARE(w->findChild<QAction*>(QStringLiteral("acF17"))->shortcut(),
                 QKeySequence(Qt::SHIFT | Qt::Key_F5));

        QCOMPARE(w->windowTitle(), QStringLiteral("Tavolin"));
        QVERIFY(w->windowFlags() & Qt::FramelessWindowHint);
        QVERIFY(w->windowFlags() & Qt::WindowStaysOnTopHint);
        QCOMPARE(w->findChild<QLabel*>(QStringLiteral("lblTitle"))->text(),
                 QStringLiteral("T\na\nv\no\nl\ni\nn"));
        QCOMPARE(w->findChild<QPushButton*>(QStringLiteral("bbtnCategory"))->text(),
                 QStringLiteral("無題カテゴリ"));
        QCOMPARE(w->findChild<QLineEdit*>(QStringLiteral("edtPage"))->text(), QStringLiteral("1"));
        QCOMPARE(w->findChild<QToolButton*>(QStringLiteral("tlbFrmStyle"))->toolTip(),
                 QStringLiteral("最下面に表示"));
        QVERIFY(w->font().family() == QStringLiteral("ＭＳ Ｐゴシック") ||
                QFontDatabase::families(QFontDatabase::Japanese).contains(w->font().family()));

        const QRect work = w->WorkArea();
        QCOMPARE(w->pos(), work.topLeft());
        // The settings file exists once start-up is over; the data file only after a change
        // or the close.
        QVERIFY(QFile::exists(Path(QStringLiteral("tavolin.ini"))));
        QVERIFY(!QFile::exists(Path(QStringLiteral("tavolin.txt"))));
        QCOMPARE(IniInteger("WinPos"), 1);
        QCOMPARE(IniInteger("TaRMode"), 1);
        // Leftovers of killed saves beside both files are looked for once at start.
        QCOMPARE(m_platform.cleanedReplacements,
                 (std::vector<std::string>{m_files.txt, m_files.ini}));
        QCOMPARE(IniInteger("Left"), work.left());

        w->close();
        QVERIFY(QFile::exists(Path(QStringLiteral("tavolin.txt"))));
        QCOMPARE(IniInteger("Width"), w->width());
    }

    void layoutMatchesTheMeasuredControls() {
        auto w = Make();
        const char* captions[] = {"lblResSys", "lblResGDI", "lblResUser", "lblCPU"};
        const char* gauges[] = {"ggResSys", "ggResGDI", "ggResUser", "ggCPU"};
        const int tops[] = {0, 14, 28, 44};
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(Inner(w->findChild<QLabel*>(QLatin1String(captions[i]))).top(), tops[i]);
            QCOMPARE(Inner(w->findChild<QProgressBar*>(QLatin1String(gauges[i]))).top(), tops[i]);
        }
        const QRect bar = Inner(w->findChild<QWidget*>(QStringLiteral("tlbExc")));
        QCOMPARE(bar.topLeft(), QPoint(16, 17));
        const QRect inf = Inner(w->findChild<QWidget*>(QStringLiteral("btnInf")));
        QCOMPARE(inf.right(), bar.right());
        const QRect gom = Inner(w->findChild<QWidget*>(QStringLiteral("imgGom")));
        QCOMPARE(w->width(), gom.left() + gom.width() + 6);
        const QRect opt = Inner(w->findChild<QWidget*>(QStringLiteral("tlbOpt")));
        QCOMPARE(w->height(), opt.top() + opt.height() + 7);
        QCOMPARE(w->minimumSize(), w->maximumSize());
    }

    void functionKeysAndClicksLaunchTheirSlots() {
        const std::string five = Script(QStringLiteral("five.sh"));
        const std::string seventeen = Script(QStringLiteral("seventeen.sh"));
        WriteCp932(Path(QStringLiteral("tavolin.txt")), "[無題カテゴリ]\r\n1:5=" + five +
                                                            " <TS>five<TE>\r\n1:17=" + seventeen +
                                                            " <TS>seventeen's<TE>\r\n");
        auto w = MakeActive();
        QVERIFY(w);
        QTest::keyClick(w.get(), Qt::Key_F5);
        QTest::keyClick(w.get(), Qt::Key_F5, Qt::ShiftModifier);
        QTest::mouseClick(w->findChild<QToolButton*>(QStringLiteral("tlb17")), Qt::LeftButton);
        QCOMPARE(m_platform.opens.size(), std::size_t{3});
        QCOMPARE(m_platform.opens[0].path, five);
        QCOMPARE(m_platform.opens[1].path, seventeen);
        QCOMPARE(m_platform.opens[2].path, seventeen);
        QCOMPARE(m_platform.opens[0].workingFolder, m_dir->path().toStdString());
        QVERIFY(!w->findChild<QToolButton*>(QStringLiteral("tlb17"))->isDown());
        QCOMPARE(w->findChild<QToolButton*>(QStringLiteral("tlb5"))->toolTip(),
                 QStringLiteral("five"));
        // A title longer than the caption length shows cut, with its dots.
        QCOMPARE(w->findChild<QToolButton*>(QStringLiteral("tlb17"))->text(),
                 QStringLiteral("sevente..."));

        // An empty button opens the browse dialog; cancelled, it launches and fills nothing.
        QString browsed;
        QTimer::singleShot(0, [&browsed] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                browsed = dialog->objectName();
                dialog->reject();
            }
        });
        QTest::keyClick(w.get(), Qt::Key_F1);
        QCOMPARE(browsed, QStringLiteral("TFrmRef"));
        QCOMPARE(m_platform.opens.size(), std::size_t{3});
        QVERIFY(!w->Core().Store().IsUsed(1));
    }

    // The context-menu key opens the window's menu wherever the focus is; Shift+F10 stays
    // button 22's key. The buttons' names follow a category change.
    void theMenuKeyAndTheNamesAScreenReaderReads() {
        const std::string editor = Script(QStringLiteral("editor.sh"));
        const std::string mail = Script(QStringLiteral("mail.sh"));
        WriteCp932(Path(QStringLiteral("tavolin.txt")), "[道具]\r\n1:5=" + editor +
                                                            " <TS>エディタ<TE>\r\n1:22=" + mail +
                                                            " <TS>メール<TE>\r\n[空]\r\n");
        auto w = MakeActive();
        QVERIFY(w);
        auto* page = w->findChild<QLineEdit*>(QStringLiteral("edtPage"));
        QMenu* menu = nullptr; // made when first opened
        for (QWidget* focus : {static_cast<QWidget*>(w.get()), static_cast<QWidget*>(page)}) {
            focus->setFocus();
            QTest::keyClick(focus, Qt::Key_Menu);
            QTRY_VERIFY((menu = w->findChild<QMenu*>(QStringLiteral("pmBtn"))) != nullptr &&
                        menu->isVisible());
            QVERIFY(menu->actions().size() > 3);
            menu->hide();
        }
        QTest::keyClick(w.get(), Qt::Key_F10, Qt::ShiftModifier);
        QCOMPARE(m_platform.opens.size(), std::size_t{1});
        QCOMPARE(m_platform.opens[0].path, mail);
        QVERIFY(!menu->isVisible());

        const auto slot = [&w](int n) {
            return w->findChild<QToolButton*>(QStringLiteral("tlb%1").arg(n));
        };
        QCOMPARE(slot(5)->accessibleName(), QStringLiteral("F5: エディタ"));
        QCOMPARE(slot(5)->accessibleDescription(), QString::fromStdString(editor));
        QCOMPARE(slot(22)->accessibleName(), QStringLiteral("Shift+F10: メール"));
        QCOMPARE(slot(15)->accessibleName(), QStringLiteral("Shift+F3: 空き"));
        QCOMPARE(w->findChild<QWidget*>(QStringLiteral("bbtnCategory"))->accessibleName(),
                 QStringLiteral("カテゴリー: 道具"));
        w->setFocus();
        QTest::keyClick(w.get(), Qt::Key_Right);
        QCOMPARE(slot(5)->accessibleName(), QStringLiteral("F5: 空き"));
        QVERIFY(slot(5)->accessibleDescription().isEmpty());
        QCOMPARE(w->findChild<QWidget*>(QStringLiteral("bbtnCategory"))->accessibleName(),
                 QStringLiteral("カテゴリー: 空"));
    }

    void droppingFilesOnTheWindow() {
        auto w = MakeActive();
        QVERIFY(w);
        const auto centre = [&](const char* name) {
            const QWidget* c = w->findChild<QWidget*>(QLatin1String(name));
            return QPointF(c->mapTo(w.get(), c->rect().center()));
        };
        const auto files = [&](const QStringList& names) {
            auto* mime = new QMimeData;
            QList<QUrl> urls;
            for (const QString& n : names) {
                QFile f(Path(n));
                f.open(QIODevice::WriteOnly);
                urls << QUrl::fromLocalFile(Path(n));
            }
            mime->setUrls(urls);
            return mime;
        };
        const Qt::DropActions all = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
        // Enter, one move (the cursor shown), and the drop or a leave: whether the enter was
        // accepted, the action the move showed, and the action the drop reported.
        struct Answer {
            bool entered = false;
            Qt::DropAction shown = Qt::IgnoreAction;
            Qt::DropAction dropped = Qt::IgnoreAction;
        };
        const auto drag = [&](QMimeData* mime, QPointF at, Qt::KeyboardModifiers keys, bool drop) {
            Answer answer;
            QDragEnterEvent enter(at.toPoint(), all, mime, Qt::LeftButton, keys);
            QApplication::sendEvent(w.get(), &enter);
            answer.entered = enter.isAccepted();
            if (!answer.entered)
                return answer;
            QDragMoveEvent move(at.toPoint(), all, mime, Qt::LeftButton, keys);
            QApplication::sendEvent(w.get(), &move);
            answer.shown = move.isAccepted() ? move.dropAction() : Qt::IgnoreAction;
            if (drop) {
                QDropEvent dropped(at, all, mime, Qt::LeftButton, keys);
                QApplication::sendEvent(w.get(), &dropped);
                answer.dropped = dropped.dropAction();
            } else {
                QDragLeaveEvent leave;
                QApplication::sendEvent(w.get(), &leave);
            }
            return answer;
        };

        QMimeData text;
        text.setText(QStringLiteral("plain text"));
        QVERIFY(!drag(&text, centre("tlb5"), {}, true).entered);

        std::unique_ptr<QMimeData> one(files({QStringLiteral("one.txt")}));
        QCOMPARE(drag(one.get(), centre("tlb5"), {}, false).shown, Qt::CopyAction);
        QCOMPARE(drag(one.get(), centre("tlb5"), Qt::ShiftModifier, false).shown, Qt::LinkAction);
        QCOMPARE(drag(one.get(), centre("imgDel"), {}, false).shown, Qt::MoveAction);
        QCOMPARE(drag(one.get(), centre("imgGom"), Qt::ShiftModifier, false).shown, Qt::MoveAction);

        // On button 5, then two more on the background: 5, then 1 and 2. The source is told
        // that nothing was moved or deleted.
        QCOMPARE(drag(one.get(), centre("tlb5"), {}, true).dropped, Qt::IgnoreAction);
        std::unique_ptr<QMimeData> two(files({QStringLiteral("a b.txt"), QStringLiteral("$(x)")}));
        drag(two.get(), QPointF(262, 8), {}, true); // the free space right of the page box
        auto* five = w->findChild<QToolButton*>(QStringLiteral("tlb5"));
        QCOMPARE(five->toolTip(), QStringLiteral("one.txt"));
        QCOMPARE(w->findChild<QToolButton*>(QStringLiteral("tlb1"))->toolTip(),
                 QStringLiteral("a b.txt"));
        QCOMPARE(w->findChild<QToolButton*>(QStringLiteral("tlb2"))->toolTip(),
                 QStringLiteral("$(x)"));
        const QString data = QString::fromUtf8([&] {
            QFile f(Path(QStringLiteral("tavolin.txt")));
            f.open(QIODevice::ReadOnly);
            return f.readAll();
        }());
        QVERIFY(data.contains(QStringLiteral("1:2=") + Path(QStringLiteral("$(x)"))));
        QVERIFY(m_platform.opens.empty()); // nothing dropped is run
    }

    void pageKeysAndThePageBox() {
        const std::string eight = Script(QStringLiteral("eight.sh"));
        WriteCp932(Path(QStringLiteral("tavolin.txt")),
                   "[無題カテゴリ]\r\n8:3=" + eight + " <TS>eight<TE>\r\n");
        auto w = MakeActive();
        QVERIFY(w);
        auto* page = w->findChild<QLineEdit*>(QStringLiteral("edtPage"));
        QTest::keyClick(w.get(), Qt::Key_Down);
        QTest::keyClick(w.get(), Qt::Key_PageUp);
        QCOMPARE(page->text(), QStringLiteral("1"));

        page->setText(QStringLiteral("7"));
        QTest::keyClick(w.get(), Qt::Key_Up);
        QCOMPARE(page->text(), QStringLiteral("8"));
        QCOMPARE(w->Core().Store().BtnTitle(3), std::string("eight"));
        QTest::keyClick(w.get(), Qt::Key_PageUp);
        QCOMPARE(page->text(), QStringLiteral("7"));
        QVERIFY(!w->Core().Store().IsUsed(3));

        // The up-down control steps the page box.
        auto* up = w->findChild<QWidget*>(QStringLiteral("udPage"))
                       ->findChild<QToolButton*>(QStringLiteral("up"));
        QTest::mouseClick(up, Qt::LeftButton);
        QCOMPARE(page->text(), QStringLiteral("8"));

        // Typing: digits only, clamped to 1..32767, an empty box shows 1. A letter is the
        // window's command: I hides the information panel.
        page->setFocus();
        page->selectAll();
        QTest::keyClicks(page, QStringLiteral("4-0.000"));
        QCOMPARE(page->text(), QStringLiteral("32767"));
        QTest::keyClick(page, Qt::Key_I);
        QCOMPARE(page->text(), QStringLiteral("32767"));
        QCOMPARE(w->findChild<QPushButton*>(QStringLiteral("btnInf"))->text(), QStringLiteral("→"));
        QCOMPARE(w->Core().Store().CurrentPage(), std::string("32767"));
        page->selectAll();
        QTest::keyClick(page, Qt::Key_0);
        QCOMPARE(page->text(), QStringLiteral("1"));
        page->selectAll();
        QTest::keyClick(page, Qt::Key_Delete);
        QCOMPARE(page->text(), QStringLiteral("1"));
    }

    void arrowKeysStepCategoriesUnlessThePageBoxHasFocus() {
        WriteCp932(Path(QStringLiteral("tavolin.txt")), "[one]\r\n[two]\r\n[three]\r\n");
        auto w = MakeActive();
        QVERIFY(w);
        auto* category = w->findChild<QPushButton*>(QStringLiteral("bbtnCategory"));
        QCOMPARE(category->text(), QStringLiteral("one"));
        QTest::keyClick(w.get(), Qt::Key_Left); // beeps at the first
        QCOMPARE(category->text(), QStringLiteral("one"));
        QTest::keyClick(w.get(), Qt::Key_Right);
        QCOMPARE(category->text(), QStringLiteral("two"));
        QTest::keyClick(w.get(), Qt::Key_Right);
        QTest::keyClick(w.get(), Qt::Key_Right); // beeps at the last
        QCOMPARE(category->text(), QStringLiteral("three"));

        auto* page = w->findChild<QLineEdit*>(QStringLiteral("edtPage"));
        page->setFocus();
        QTest::keyClick(page, Qt::Key_Left);
        QCOMPARE(category->text(), QStringLiteral("three"));

        // The category menu: the names, a separator and the editor's item.
        QMenu* menu = tavolin::testing::CategoryMenu(*w);
        const QList<QAction*> items = menu->actions();
        QCOMPARE(items.size(), 5);
        QCOMPARE(items[1]->text(), QStringLiteral("two"));
        QVERIFY(items[3]->isSeparator());
        QCOMPARE(items[4]->text(), QStringLiteral("カテゴリー編集(&E)..."));
        page->setText(QStringLiteral("5"));
        items[1]->trigger();
        QCOMPARE(category->text(), QStringLiteral("two"));
        QCOMPARE(page->text(), QStringLiteral("1"));
        // However many categories there are, the menu is one list that fits the screen and
        // scrolls to its last item.
        std::string many;
        for (int i = 0; i < 3000; ++i)
            many += "[c" + std::to_string(i) + "]\r\n";
        WriteCp932(Path(QStringLiteral("tavolin.txt")), many);
        w->LoadSettings("");
        tavolin::testing::CategoryMenu(*w)->popup(QPoint(0, 0));
        QVERIFY(QTest::qWaitForWindowExposed(menu));
        const QRect screen = menu->screen()->availableGeometry();
        QVERIFY(menu->height() <= screen.height());
        QVERIFY(menu->width() < screen.width() / 2); // one column, not many
        QTest::keyClick(menu, Qt::Key_End);
        QCOMPARE(menu->activeAction()->objectName(), QStringLiteral("categoryEdit"));
        QVERIFY(menu->rect().contains(menu->actionGeometry(menu->activeAction())));
        QTest::keyClick(menu, Qt::Key_Up);
        QCOMPARE(menu->activeAction()->text(), QStringLiteral("c2999"));
        menu->hide();
    }

    void altBackspaceCyclesTheDisplayModes() {
        auto w = MakeActive();
        QVERIFY(w);
        const QWidget* bar = w->findChild<QWidget*>(QStringLiteral("tlbExc"));
        const char* keys[] = {"NomalMode", "SmallMode", "TitleMode", "TimeMode", "TaRMode"};
        for (int step = 0; step < 5; ++step) {
            if (step % 2 == 0) {
                QTest::keyClick(w.get(), Qt::Key_Backspace, Qt::AltModifier);
            } else {
                // Alt let go before Backspace: still one step.
                QTest::keyPress(w.get(), Qt::Key_Backspace, Qt::AltModifier);
                QTest::keyRelease(w.get(), Qt::Key_Alt);
                QTest::keyRelease(w.get(), Qt::Key_Backspace);
            }
            for (int k = 0; k < 5; ++k)
                QCOMPARE(IniInteger(keys[k]), k == step ? 1 : 0);
            if (step == 1) {
                // The minimum mode: the button bar alone.
                QCOMPARE(w->size(), bar->size() + QSize(7, 5));
                QVERIFY(!w->findChild<QWidget*>(QStringLiteral("lblTitle"))->isVisible());
                QVERIFY(!w->findChild<QWidget*>(QStringLiteral("bbtnCategory"))->isVisible());
                QCOMPARE(Inner(bar).topLeft(), QPoint(1, -1));
            }
        }
        QVERIFY(w->findChild<QWidget*>(QStringLiteral("bbtnCategory"))->isVisible());
        QCOMPARE(w->width(), IniInteger("Width"));
    }

    void deactivationShrinksToClockAndGaugesKeepingTheDockedCorner() {
        WriteCp932(Path(QStringLiteral("tavolin.ini")), "[Window]\r\nWinPos=3\r\n");
        auto w = MakeActive();
        QVERIFY(w);
        const QRect work = w->WorkArea();
        QCOMPARE(w->geometry().bottomRight(), work.bottomRight());
        const QSize full = w->size();

        w->AppDeactivate();
        const QWidget* clock = w->findChild<QWidget*>(QStringLiteral("lblNow"));
        const QWidget* gauge = w->findChild<QWidget*>(QStringLiteral("ggResSys"));
        QVERIFY(!w->IsActiveLook());
        QCOMPARE(w->width(), clock->width() + 7);
        QCOMPARE(w->height(), clock->height() + gauge->height() + 7);
        QCOMPARE(Inner(clock).topLeft(), QPoint(0, 0));
        QCOMPARE(Inner(gauge).top(), clock->height() + 1);
        QVERIFY(!w->findChild<QWidget*>(QStringLiteral("tlbExc"))->isVisible());
        QCOMPARE(w->geometry().bottomRight(), work.bottomRight());

        w->AppActivate();
        QVERIFY(w->IsActiveLook());
        QCOMPARE(w->size(), full);
        QCOMPARE(w->geometry().bottomRight(), work.bottomRight());
    }

    void aClickThatActivatesTheShrunkenWindowOnlyActivatesIt() {
        auto w = MakeActive();
        QVERIFY(w);
        const QSize full = w->size();
        const QPoint origin = w->pos();
        const auto* category = w->findChild<QWidget*>(QStringLiteral("bbtnCategory"));
        const auto* menu = w->findChild<QMenu*>(QStringLiteral("pmCategory"));
        const QPoint spot = category->geometry().center(); // where the grown window has it
        const auto shrink = [&] {
            w->AppDeactivate();
            QVERIFY(w->size() != full);
            QVERIFY(w->rect().contains(spot));
            QCursor::setPos(w->mapToGlobal(spot));
        };

        // The window system's word of the activation comes first, the click a moment later:
        // the window waits for it, stays small while it is held and grows on its release.
        shrink();
        w->AppActivate();
        QTest::qWait(50);
        QVERIFY(w->size() != full);
        QTest::mousePress(w.get(), Qt::LeftButton, {}, spot);
        QTest::qWait(300);
        QVERIFY(w->size() != full);
        QTest::mouseRelease(w.get(), Qt::LeftButton, {}, spot);
        QCOMPARE(w->size(), full);
        QVERIFY(!menu->isVisible());

        // The click first, dragged: the small window moves and grows where it was let go.
        shrink();
        QTest::mousePress(w.get(), Qt::LeftButton, {}, spot);
        w->AppActivate();
        QTest::mouseMove(w.get(), spot + QPoint(30, 20));
        QVERIFY(w->size() != full);
        QTest::mouseRelease(w.get(), Qt::LeftButton, {}, spot + QPoint(30, 20));
        QCOMPARE(w->size(), full);
        QCOMPARE(w->pos(), origin + QPoint(30, 20));
        QCOMPARE(IniInteger("Left"), w->x());
        QVERIFY(!menu->isVisible());

        // Activated while the pointer rests on it and no click comes: it grows all the same.
        shrink();
        w->AppActivate();
        QTRY_COMPARE(w->size(), full);
    }

    void aWindowSavedOffScreenStartsOnIt() {
        WriteCp932(Path(QStringLiteral("tavolin.ini")),
                   "[Window]\r\nTop=30000\r\nLeft=30000\r\nWinPos=5\r\n");
        auto w = Make();
        const QRect work = w->WorkArea();
        QVERIFY2(work.contains(w->geometry()), "the whole window is in the work area");
        QCOMPARE(IniInteger("Left"), w->x());
    }

    void doubleClickCarriesTheWindowClockwise() {
        auto w = MakeActive();
        QVERIFY(w);
        const QRect work = w->WorkArea();
        QCOMPARE(w->pos(), work.topLeft());
        auto* title = w->findChild<QWidget*>(QStringLiteral("lblTitle"));
        QTest::mouseDClick(title, Qt::LeftButton, {}, QPoint(5, 20));
        QCOMPARE(w->geometry().topRight(), work.topRight());
        QCOMPARE(IniInteger("WinPos"), 2);
        QCOMPARE(IniInteger("Left"), w->x());
    }

    void draggingTheBackgroundMovesAndSavesCtrlDocks() {
        auto w = MakeActive();
        QVERIFY(w);
        const QRect work = w->WorkArea();
        const auto send = [&](QEvent::Type type, QPoint global, Qt::MouseButton button,
                              Qt::MouseButtons buttons, Qt::KeyboardModifiers mods) {
            QMouseEvent e(type, w->mapFromGlobal(QPointF(global)), QPointF(global), button, buttons,
                          mods);
            QApplication::sendEvent(w.get(), &e);
        };
        // The free space right of the page box.
        const QPoint start = w->mapToGlobal(QPoint(262, 8));
        send(QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton, {});
        send(QEvent::MouseMove, start + QPoint(100, 150), Qt::NoButton, Qt::LeftButton, {});
        send(QEvent::MouseButtonRelease, start + QPoint(100, 150), Qt::LeftButton, {}, {});
        QCOMPARE(w->pos(), work.topLeft() + QPoint(100, 150));
        QCOMPARE(IniInteger("Left"), w->x());
        QCOMPARE(IniInteger("Top"), w->y());
        // Dragged out of its corner, it no longer follows the work area.
        w->FollowWorkArea();
        QCOMPARE(w->pos(), work.topLeft() + QPoint(100, 150));

        // With Ctrl near the left edge: the left side sticks to the work area's edge,
        // centred on the cursor.
        const QPoint from = w->mapToGlobal(QPoint(262, 8));
        const QPoint cursor(work.left() + 10, work.top() + 200);
        send(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton, {});
        send(QEvent::MouseMove, cursor, Qt::NoButton, Qt::LeftButton, Qt::ControlModifier);
        send(QEvent::MouseButtonRelease, cursor, Qt::LeftButton, {}, Qt::ControlModifier);
        QCOMPARE(w->x(), work.left());
        QCOMPARE(w->y(), cursor.y() - w->height() / 2);
        QCOMPARE(IniInteger("Top"), w->y());

        // A press on the option toolbar's free space does not start a drag.
        auto* opt = w->findChild<QWidget*>(QStringLiteral("tlbOpt"));
        const QPoint before = w->pos();
        const QPoint free = opt->mapToGlobal(QPoint(opt->width() - 2, opt->height() / 2));
        QCOMPARE(w->childAt(w->mapFromGlobal(free)), opt);
        send(QEvent::MouseButtonPress, free, Qt::LeftButton, Qt::LeftButton, {});
        send(QEvent::MouseMove, free + QPoint(40, 40), Qt::NoButton, Qt::LeftButton, {});
        send(QEvent::MouseButtonRelease, free + QPoint(40, 40), Qt::LeftButton, {}, {});
        QCOMPARE(w->pos(), before);
    }
};

QTEST_MAIN(TFrmMainTest)
#include "TFrmMainTest.moc"
