#include "ui/options/TFrmBtnSet.h"

#include "core/launcher/Launcher.h"
#include "core/settings/ProfileFile.h"
#include "fakes/FakePlatform.h"
#include "ui/UiTestSupport.h"
#include "ui/hotkey/GlobalHotKey.h"
#include "ui/launcher/TFrmMain.h"
#include "ui/launcher/UpDown.h"
#include "ui/look/OptIcons.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QtTest>

#include <memory>

using namespace tavolin;
using tavolin::testing::FakePlatform;

namespace {

// Presses `button` on the next message box and keeps its text.
void AnswerNextMessage(QString& text, const QString& button, int triesLeft = 200) {
    QTimer::singleShot(10, [&text, button, triesLeft] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            if (triesLeft > 0)
                AnswerNextMessage(text, button, triesLeft - 1);
            return;
        }
        text = box->text();
        for (QAbstractButton* b : box->buttons()) {
            if (b->text() == button) {
                b->click();
                return;
            }
        }
        box->reject();
    });
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TFrmBtnSetTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    FakePlatform m_platform;
    DataFiles m_files;
    std::unique_ptr<TFrmMain> m_window;
    std::unique_ptr<TFrmBtnSet> m_dialog;
    QByteArray m_data, m_ini;

    QString Path(const QString& name) const { return m_dir->filePath(name); }
    template <typename T> T* Get(const char* name) const {
        T* w = m_dialog->findChild<T*>(QLatin1String(name));
        if (w == nullptr)
            qFatal("no control %s", name);
        return w;
    }
    void Open(int button) {
        m_dialog = std::make_unique<TFrmBtnSet>(
            m_platform, m_window->Core(),
            TFrmBtnSet::Opening{button, QStringLiteral("2026/12/7(月) 12:00")}, m_window.get());
        m_dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_dialog.get()));
    }
    QString Cell(int row, int column) const {
        auto* lv = Get<QTreeView>("lvBtn");
        return lv->model()->index(row, column).data().toString();
    }
    int Selected() const {
        const auto rows = Get<QTreeView>("lvBtn")->selectionModel()->selectedRows();
        return rows.isEmpty() ? -1 : rows.first().row();
    }

private slots:
    void initTestCase() { InstallIconFallback(); }

    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        m_platform = FakePlatform{};
        m_files = tavolin::testing::FilesIn(*m_dir);
        QVERIFY(QDir().mkpath(Path(QStringLiteral("tools"))));
        QFile(Path(QStringLiteral("tools/run"))).open(QIODevice::WriteOnly);
        const QByteArray tools = Path(QStringLiteral("tools")).toUtf8();
        m_data = "{my buttons}\r\n[A]\r\n1:1=" + tools + "/run <TS>Run<TE>\r\n{keep me}\r\n" +
                 "2:4=" + tools + " <TS>Tools<TE>\r\n[B]\r\n1:1=" + tools + "\r\n";
        QFile data(Path(QStringLiteral("tavolin.txt")));
        QVERIFY(data.open(QIODevice::WriteOnly));
        data.write(m_data);
        data.close();
        m_ini = "[Window]\r\nNomalMode=1\r\nTaRMode=0\r\nHeight=115\r\n";
        QFile ini(Path(QStringLiteral("tavolin.ini")));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write(m_ini);
        ini.close();
        m_window = std::make_unique<TFrmMain>(m_platform, m_files);
        m_data = ReadAll(Path(QStringLiteral("tavolin.txt")));
        m_ini = ReadAll(Path(QStringLiteral("tavolin.ini")));
    }
    void cleanup() {
        m_dialog.reset();
        m_window.reset();
    }

    void forAButtonEditSetAndOkWriteBothFiles() {
        m_window->Core().Store().SetCurrentPage("2");
        Open(5); // button 5 of page 2 of A is empty
        QCOMPARE(Get<QTabWidget>("pgc")->currentIndex(), 0);
        QCOMPARE(Get<QComboBox>("cbNo")->currentText(), QStringLiteral("5"));
        QCOMPARE(Get<QLineEdit>("edtBtnPath")->text(), QString());
        QCOMPARE(Selected(), -1);
        QCOMPARE(Cell(0, 0), QStringLiteral("A"));
        QCOMPARE(Cell(0, 1), QStringLiteral("--"));
        QCOMPARE(Cell(3, 5), QStringLiteral("--"));

        // A folder on button 5 goes after A's button 4 of page 2.
        Get<QLineEdit>("edtBtnPath")->setText(Path(QStringLiteral("tools")) + QStringLiteral("  "));
        Get<QLineEdit>("edtBtnTitle")->setText(QStringLiteral("Five"));
        QTest::mouseClick(Get<QPushButton>("btnSet"), Qt::LeftButton);
        QCOMPARE(Cell(3, 2), QStringLiteral("5"));
        QCOMPARE(Cell(3, 3), QStringLiteral("Five"));

        // Selecting the first button shows it; its file is cleared through cut and back.
        Get<QTreeView>("lvBtn")->setCurrentIndex(Get<QTreeView>("lvBtn")->model()->index(1, 0));
        QCOMPARE(Get<QLineEdit>("edtBtnFile")->text(), QStringLiteral("run"));
        QTest::mouseClick(Get<QPushButton>("btnCut"), Qt::LeftButton);
        QCOMPARE(Get<QLineEdit>("edtBtnPath")->text(), QString());
        QVERIFY(m_window->Core().ButtonClipboard().find("<TS>Run<TE>") != std::string::npos);
        QTest::mouseClick(Get<QPushButton>("btnPst"), Qt::LeftButton);
        QCOMPARE(Get<QLineEdit>("edtBtnTitle")->text(), QStringLiteral("Run"));

        Get<QCheckBox>("cbMem")->setChecked(false);
        // Keys the dialog does not show stay as they are.
        const std::string height = ProfileFile(m_files.ini).ReadString("Window", "Height", "");
        QTest::mouseClick(Get<QPushButton>("btnOK"), Qt::LeftButton);
        QCOMPARE(m_dialog->result(), int(QDialog::Accepted));

        const QByteArray tools = Path(QStringLiteral("tools")).toUtf8();
        QCOMPARE(ReadAll(Path(QStringLiteral("tavolin.txt"))),
                 "{my buttons}\r\n[A]\r\n1:1=" + tools + "/run <TS>Run<TE>\r\n{keep me}\r\n" +
                     "2:4=" + tools + " <TS>Tools<TE>\r\n2:5=" + tools +
                     " <TS>Five<TE>\r\n[B]\r\n1:1=" + tools + "\r\n");
        const ProfileFile ini(m_files.ini);
        QCOMPARE(ini.ReadString("Window", "ShowMem", ""), std::string("0"));
        QCOMPARE(ini.ReadString("Window", "ShowTime", ""), std::string("6"));
        QCOMPARE(ini.ReadString("Window", "DateFont", ""), std::string("clLime"));
        // The clock's font as the settings name it, not the font standing in for it here.
        QCOMPARE(ini.ReadString("Window", "DateFontName", ""), std::string("ＭＳ Ｐゴシック"));
        QCOMPARE(ini.ReadString("Mem", "Color", ""), std::string("$00E1FFFF"));
        QCOMPARE(ini.ReadString("Window", "Height", ""), height);
    }

    void fromTheToolbarLoadsOnTheTabAndCancelWritesNothing() {
        Open(0);
        auto* pgc = Get<QTabWidget>("pgc");
        QCOMPARE(pgc->currentIndex(), 1);
        QCOMPARE(Get<QTreeView>("lvBtn")->model()->rowCount(), 0);
        QCOMPARE(Get<QLabel>("stxUpTime")->text(),
                 QStringLiteral("更新の間隔 (1000/ミリ秒 = 1秒) (&T)"));
        pgc->setCurrentIndex(0);
        QCOMPARE(Get<QTreeView>("lvBtn")->model()->rowCount(), 5);
        QCOMPARE(Selected(), 1);

        // Clearing the folder and ↓セット removes the row; Cancel leaves both files.
        Get<QLineEdit>("edtBtnPath")->clear();
        QTest::mouseClick(Get<QPushButton>("btnSet"), Qt::LeftButton);
        QCOMPARE(Get<QTreeView>("lvBtn")->model()->rowCount(), 4);
        Get<QCheckBox>("cbDate")->setChecked(false);
        QTest::mouseClick(Get<QPushButton>("btnCancel"), Qt::LeftButton);
        QCOMPARE(m_dialog->result(), int(QDialog::Rejected));
        QCOMPARE(ReadAll(Path(QStringLiteral("tavolin.txt"))), m_data);
        QCOMPARE(ReadAll(Path(QStringLiteral("tavolin.ini"))), m_ini);
    }

    // OK puts both files in place or neither: a data file that cannot be written keeps the
    // settings file as it was, also after Cancel.
    void aDataFileThatCannotBeWrittenLeavesTheSettingsAsTheyWere() {
        Open(1);
        m_platform.refusedFiles[m_files.txt] = "アクセス権がありません";
        Get<QCheckBox>("cbWatch")->setChecked(false);
        QString text;
        AnswerNextMessage(text, QStringLiteral("OK"));
        QTest::mouseClick(Get<QPushButton>("btnOK"), Qt::LeftButton);
        QVERIFY(text.contains(QStringLiteral("アクセス権がありません")));
        QVERIFY(m_dialog->isVisible());
        // And a settings file that cannot be written keeps a changed list out of the data file.
        m_platform.refusedFiles = {{m_files.ini, "アクセス権がありません"}};
        Get<QLineEdit>("edtBtnPath")->clear();
        QTest::mouseClick(Get<QPushButton>("btnSet"), Qt::LeftButton);
        text.clear();
        AnswerNextMessage(text, QStringLiteral("OK"));
        QTest::mouseClick(Get<QPushButton>("btnOK"), Qt::LeftButton);
        QVERIFY(text.contains(QStringLiteral("設定ファイル")));
        QVERIFY(m_dialog->isVisible());
        QTest::mouseClick(Get<QPushButton>("btnCancel"), Qt::LeftButton);
        QCOMPARE(ReadAll(Path(QStringLiteral("tavolin.ini"))), m_ini);
        QCOMPARE(ReadAll(Path(QStringLiteral("tavolin.txt"))), m_data);
    }

    // Another program changed the data file while the dialog was open: OK writes nothing and
    // asks. After はい the list is the file as it is now and the boxes, which showed a row of
    // the old list, are empty: the next OK writes no stale row under another category.
    void aReloadEmptiesTheBoxesOfTheOldList() {
        Open(1);
        QCOMPARE(Get<QLineEdit>("edtBtnTitle")->text(), QStringLiteral("Run"));
        const QByteArray other = "[B]\r\n1:1=" + Path(QStringLiteral("tools")).toUtf8() + "\r\n";
        QFile data(Path(QStringLiteral("tavolin.txt")));
        QVERIFY(data.open(QIODevice::WriteOnly | QIODevice::Truncate));
        data.write(other);
        data.close();
        QString text;
        AnswerNextMessage(text, QStringLiteral("はい(&Y)"));
        QTest::mouseClick(Get<QPushButton>("btnOK"), Qt::LeftButton);
        QVERIFY(text.contains(QStringLiteral("ほかのプログラムに変更されました")));
        QVERIFY(m_dialog->isVisible());
        QCOMPARE(ReadAll(Path(QStringLiteral("tavolin.txt"))), other);
        QCOMPARE(Get<QTreeView>("lvBtn")->model()->rowCount(), 2);
        QCOMPARE(Get<QLineEdit>("edtCategory")->text(), QString());
        QCOMPARE(Get<QLineEdit>("edtBtnTitle")->text(), QString());
        QTest::mouseClick(Get<QPushButton>("btnOK"), Qt::LeftButton);
        QCOMPARE(m_dialog->result(), int(QDialog::Accepted));
        QCOMPARE(ReadAll(Path(QStringLiteral("tavolin.txt"))), other);
    }

    void aFailedCheckAtOkStaysOnTheInformationTab() {
        Open(1);
        Get<QLineEdit>("edtWatchLow")->setText(QStringLiteral("30"));
        Get<UpDown>("udWatchLow")->SetPosition(30);
        QString text;
        AnswerNextMessage(text, QStringLiteral("OK"));
        QTest::mouseClick(Get<QPushButton>("btnOK"), Qt::LeftButton);
        QCOMPARE(text, QStringLiteral("下限は上限より小さくして下さい"));
        QVERIFY(m_dialog->isVisible());
        QCOMPARE(Get<QTabWidget>("pgc")->currentIndex(), 1);
        QCOMPARE(m_dialog->focusWidget(), Get<QLineEdit>("edtWatchLow"));
        QCOMPARE(ReadAll(Path(QStringLiteral("tavolin.ini"))), m_ini);

        // The minimum mode unchecks and disables the title.
        Get<QRadioButton>("rbSmallMode")->click();
        QVERIFY(!Get<QCheckBox>("cbShowTitle")->isChecked());
        QVERIFY(!Get<QCheckBox>("cbShowTitle")->isEnabled());
    }

    // The hot key box records one key with its modifiers; the clear button empties it; OK
    // writes it in the portable form. Where no key can be grabbed the page says what to do.
    void theHotKeyIsOneKeyWrittenPortablyAndClearedByItsButton() {
        Open(0);
        Get<QTabWidget>("pgc")->setCurrentIndex(kDisplay2Page);
        auto* edit = Get<QKeySequenceEdit>("edtHotKey");
        QVERIFY(edit->keySequence().isEmpty());
        const QString note = Get<QLabel>("lblHotKeyNote")->text();
        QVERIFY(!note.isEmpty());
        QCOMPARE(note.contains(QStringLiteral("tavolin --show")), !HotKeysSupported());
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_Space, Qt::ControlModifier | Qt::AltModifier);
        QTest::keyClick(edit, Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier);
        QTRY_COMPARE(edit->keySequence(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_K));
        QTest::mouseClick(Get<QPushButton>("btnOK"), Qt::LeftButton);
        QCOMPARE(ProfileFile(m_files.ini).ReadString("Window", "HotKey", "?"),
                 std::string("Ctrl+Shift+K"));

        Open(0);
        QCOMPARE(Get<QKeySequenceEdit>("edtHotKey")->keySequence(),
                 QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_K));
        QTest::mouseClick(Get<QPushButton>("btnHotKeyClear"), Qt::LeftButton);
        QTest::mouseClick(Get<QPushButton>("btnOK"), Qt::LeftButton);
        QCOMPARE(ProfileFile(m_files.ini).ReadString("Window", "HotKey", "?"), std::string());

        // A key without Ctrl, Alt or the logo key is refused on its page, and nothing written.
        Open(0);
        Get<QKeySequenceEdit>("edtHotKey")->setKeySequence(QKeySequence(Qt::Key_F5));
        QString text;
        AnswerNextMessage(text, QStringLiteral("OK"));
        QTest::mouseClick(Get<QPushButton>("btnOK"), Qt::LeftButton);
        QVERIFY(text.contains(QStringLiteral("Ctrl")));
        QVERIFY(m_dialog->isVisible());
        QCOMPARE(Get<QTabWidget>("pgc")->currentIndex(), static_cast<int>(kDisplay2Page));
        const QWidget* focus = m_dialog->focusWidget(); // the box, or the line edit inside it
        QVERIFY(focus == Get<QKeySequenceEdit>("edtHotKey") ||
                focus->parentWidget() == Get<QKeySequenceEdit>("edtHotKey"));
        QCOMPARE(ProfileFile(m_files.ini).ReadString("Window", "HotKey", "?"), std::string());
    }

    // Every key the pages show has its control, on the page the settings table names.
    void everyShownKeyHasItsControlOnItsPage() {
        Open(0);
        auto* pgc = Get<QTabWidget>("pgc");
        for (const WindowSettingKey& key : kWindowSettingKeys) {
            if (key.page == kNoPage)
                continue;
            QWidget* control = m_dialog->ControlOf(key);
            if (key.field == WindowSettingKey::Field(&WindowSettings::WinPos)) {
                QVERIFY(control == nullptr); // chosen by its five buttons
                control = Get<QToolButton>("tlbFree");
            }
            QVERIFY2(control != nullptr, key.key.data());
            int page = -1;
            for (QWidget* w = control; w != nullptr && page < 0; w = w->parentWidget())
                page = pgc->indexOf(w);
            QCOMPARE(page, static_cast<int>(key.page));
        }
    }

    // The dialog opens with the focus on its page's first control, and Tab goes from the
    // page's last control to OK, キャンセル and ヘルプ, then back to the first: the pages are
    // forms of their own, added after the dialog's buttons were made.
    void theFocusStartsOnThePageAndTabEndsWithTheButtons() {
        Open(0);
        QApplication::setActiveWindow(m_dialog.get());
        QVERIFY(QTest::qWaitForWindowActive(m_dialog.get()));
        QCOMPARE(QApplication::focusWidget(), Get<QCheckBox>("cbRes"));
        Get<QComboBox>("cmbWatch")->setFocus();
        for (const char* name : {"btnOK", "btnCancel", "btnHelp", "cbRes"}) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget()->objectName(), QLatin1String(name));
        }
    }

    void resizingFollowsTheRules() {
        Open(1);
        QCOMPARE(m_dialog->minimumSize(), QSize(422, 390));
        m_dialog->resize(622, 490);
        QCOMPARE(Get<QPushButton>("btnOK")->y(), 490 - 26);
        QCOMPARE(Get<QLineEdit>("edtBtnTitle")->width(), 313 + 200);
        QCOMPARE(Get<QPushButton>("btnRef")->x(), 312 + 200);
        QCOMPARE(Get<QPushButton>("btnSet")->width(), 401 + 200);
    }
};

QTEST_MAIN(TFrmBtnSetTest)
#include "TFrmBtnSetTest.moc"
