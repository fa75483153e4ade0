#include "ui/commands/ButtonMenu.h"

#include "core/settings/ProfileFile.h"
#include "fakes/FakePlatform.h"
#include "ui/UiTestSupport.h"
#include "ui/launcher/TFrmMain.h"
#include "ui/look/OptIcons.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
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

// Runs `act` on the next modal dialog once it shows.
void OnNextModal(std::function<void(QWidget*)> act, int triesLeft = 200) {
    QTimer::singleShot(10, [act = std::move(act), triesLeft]() mutable {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            act(modal);
        } else if (triesLeft > 0) {
            OnNextModal(std::move(act), triesLeft - 1);
        }
    });
}

} // namespace

class ButtonMenuTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    FakePlatform m_platform;
    DataFiles m_files;
    std::unique_ptr<TFrmMain> m_window;
    QString m_target;

    QString Path(const QString& name) const { return m_dir->filePath(name); }
    ButtonMenu* Menu() const { return m_window->findChild<ButtonMenu*>(QStringLiteral("pmBtn")); }
    QAction* Item(const char* name) const {
        return Menu()->findChild<QAction*>(QLatin1String(name));
    }
    QToolButton* Tlb(int n) const {
        return m_window->findChild<QToolButton*>(QStringLiteral("tlb%1").arg(n));
    }
    void RightClick(QWidget* w, QPoint at = {}) {
        if (Menu() != nullptr) // made when first opened
            Menu()->hide();
        QTest::mouseClick(w, Qt::RightButton, {}, at.isNull() ? w->rect().center() : at);
        QVERIFY(Menu()->isVisible());
        QCOMPARE(Menu()->pos(), w->mapToGlobal(at.isNull() ? w->rect().center() : at));
    }

private slots:
    void initTestCase() { InstallIconFallback(); }

    void init() {
        // A short folder name: the menu, whose folder caption shows it, then fits beside the
        // button on the offscreen screen also where the fonts are wide stand-ins (Wine).
        m_dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/menu-XXXXXX"));
        m_platform = FakePlatform{};
        m_files = tavolin::testing::FilesIn(*m_dir);
        // Normal mode, so that every control is on screen whether active or not.
        QFile ini(Path(QStringLiteral("tavolin.ini")));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[Window]\r\nNomalMode=1\r\nTaRMode=0\r\n");
        ini.close();
        m_target = Path(QStringLiteral("editor.sh"));
        QFile target(m_target);
        QVERIFY(target.open(QIODevice::WriteOnly));
        target.close();
        m_window = std::make_unique<TFrmMain>(m_platform, m_files);
        m_window->Core().AssignButton(m_target.toStdString() + " <TS>Editor<TE>", 5);
        m_window->SyncFromStore();
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }

    void cleanup() { m_window.reset(); }

    void rightClickOnAButtonAndOnTheBackground() {
        RightClick(Tlb(5));
        QCOMPARE(Item("N13")->text(), QStringLiteral("ボタン (Editor) 実行"));
        QCOMPARE(Menu()->Button(), 5);
        QCOMPARE(Menu()->DetailsButton(), 5);
        QVERIFY(Item("N7")->isEnabled());
        QVERIFY(Item("N7")->text().startsWith(QStringLiteral("フォルダを開く (")));
        QVERIFY(!Item("Paste1")->isEnabled());

        // Copy, then the menu of an empty button can paste.
        Item("Copy1")->trigger();
        RightClick(Tlb(6));
        QCOMPARE(Item("N13")->text(), QStringLiteral("ボタン 実行"));
        QVERIFY(!Item("N13")->isEnabled() && !Item("N31")->isEnabled());
        QVERIFY(Item("Paste1")->isEnabled() && Item("N36")->isEnabled());
        Item("Paste1")->trigger();
        QCOMPARE(QString::fromStdString(m_window->Core().Store().BtnTitle(6)),
                 QStringLiteral("Editor"));

        // The background: only the window's commands; details opens on button 1.
        RightClick(m_window->findChild<QLabel*>(QStringLiteral("lblTitle")));
        QCOMPARE(Menu()->Button(), 0);
        QCOMPARE(Menu()->DetailsButton(), 1);
        QVERIFY(Item("N2")->isEnabled());
        QVERIFY(!Item("N13")->isEnabled() && !Item("Paste1")->isEnabled() &&
                !Item("N36")->isEnabled() && !Item("N7")->isEnabled());
        RightClick(m_window.get(), QPoint(2, 2));
        QCOMPARE(Menu()->Button(), 0);
        // The display mode on screen is checked, and the position of the window.
        QVERIFY(Item("N18")->isChecked() && !Item("N24")->isChecked());
        QVERIFY(Item("N26")->isChecked());
        Menu()->hide();
    }

    void renameDisplayModeAndPosition() {
        QString offered;
        OnNextModal([&offered](QWidget* modal) {
            auto* input = qobject_cast<QInputDialog*>(modal);
            if (input == nullptr)
                return;
            offered = input->textValue();
            input->setTextValue(QString());
            input->accept();
        });
        RightClick(Tlb(5));
        Item("N31")->trigger();
        QCOMPARE(offered, QStringLiteral("Editor"));
        QCOMPARE(QString::fromStdString(m_window->Core().Store().BtnTitle(5)),
                 QStringLiteral("editor.sh"));

        Item("N16")->trigger();
        QCOMPARE(ProfileFile(m_files.ini).ReadInteger("Window", "SmallMode", 0), 1);
        QCOMPARE(ProfileFile(m_files.ini).ReadInteger("Window", "NomalMode", 1), 0);
        Item("N28")->trigger();
        QCOMPARE(ProfileFile(m_files.ini).ReadInteger("Window", "WinPos", 0), 3);
    }

    void optionsAndBrowseOpenTheirDialogs() {
        // The options dialog opens on "ボタン詳細" for the button the menu was opened on.
        QString text;
        int tab = -1;
        OnNextModal([&text, &tab](QWidget* modal) {
            text = modal->windowTitle();
            if (auto* pgc = modal->findChild<QTabWidget*>(QStringLiteral("pgc"))) {
                tab = pgc->currentIndex();
            }
            if (auto* no = modal->findChild<QComboBox*>(QStringLiteral("cbNo"))) {
                text += QLatin1Char(' ') + no->currentText();
            }
            if (auto* dialog = qobject_cast<QDialog*>(modal))
                dialog->reject();
        });
        RightClick(Tlb(5));
        Item("N2")->trigger();
        QCOMPARE(text, QStringLiteral("オプション設定 5"));
        QCOMPARE(tab, 0);

        QString title;
        OnNextModal([&title](QWidget* modal) {
            title = modal->windowTitle();
            if (auto* dialog = qobject_cast<QDialog*>(modal))
                dialog->reject();
        });
        RightClick(Tlb(5));
        Item("N36")->trigger();
        QCOMPARE(title, QStringLiteral("フォルダ / ファイルの参照"));
    }
};

QTEST_MAIN(ButtonMenuTest)
#include "ButtonMenuTest.moc"
