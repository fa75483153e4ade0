#include "ui/categories/TFrmCategoryEdit.h"

#include "core/text/Cp932.h"
#include "fakes/FakePlatform.h"
#include "ui/UiTestSupport.h"
#include "ui/commands/HelpViewer.h"
#include "ui/launcher/TFrmMain.h"
#include "ui/look/OptIcons.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

using namespace tavolin;
using tavolin::testing::FakePlatform;

class TFrmCategoryEditTest : public QObject {
    Q_OBJECT

    static QStringList Items(const QListWidget* list) {
        QStringList items;
        for (int i = 0; i < list->count(); ++i)
            items << list->item(i)->text();
        return items;
    }

    // Closes the next message box once it shows, keeping its text.
    static void CloseNextMessage(QString& text, int triesLeft = 100) {
        QTimer::singleShot(10, [&text, triesLeft] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                text = box->text();
                box->accept();
            } else if (triesLeft > 0) {
                CloseNextMessage(text, triesLeft - 1);
            }
        });
    }

private slots:
    void initTestCase() { InstallIconFallback(); }

    // The user opens the editor from the category menu, adds a category, moves it to the top
    // and presses OK: the launcher stays on its category and the menu has the new order.
    void addMoveAndOkReloadTheLauncher() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const auto path = [&](const char* name) { return dir.filePath(QLatin1String(name)); };
        {
            QFile data(path("tavolin.txt"));
            QVERIFY(data.open(QIODevice::WriteOnly));
            data.write(text::EncodeCp932("[one]\r\n1:1=/bin/sh <TS>sh<TE>\r\n[二]\r\n[three]\r\n")
                           ->c_str());
        }
        FakePlatform platform;
        TFrmMain w(platform, tavolin::testing::FilesIn(dir));
        tavolin::testing::CategoryMenu(w)->actions()[1]->trigger();
        auto* category = w.findChild<QPushButton*>(QStringLiteral("bbtnCategory"));
        QCOMPARE(category->text(), QStringLiteral("二"));

        QStringList shown, afterAdd, afterMoves;
        QString clickedName;
        int help = -1;
        bool workingCopy = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = w.findChild<TFrmCategoryEdit*>();
            if (dialog == nullptr)
                return;
            auto* list = dialog->findChild<QListWidget*>(QStringLiteral("lbCategory"));
            auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("edtCategoryAdd"));
            shown = Items(list);
            workingCopy = QFile::exists(path("tavolin.tmp"));
            // Enter presses 追加, the default button.
            QTest::keyClicks(name, QStringLiteral("four"));
            QTest::keyClick(name, Qt::Key_Return);
            afterAdd = Items(list);
            for (int i = 0; i < 3; ++i) {
                QTest::mouseClick(dialog->findChild<QToolButton*>(QStringLiteral("sbUP")),
                                  Qt::LeftButton);
            }
            afterMoves = Items(list);
            // A click on a name copies it into the name box.
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              list->visualItemRect(list->item(2)).center());
            clickedName = name->text();
            QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("btnHelp")),
                              Qt::LeftButton);
            if (HelpViewer* viewer = HelpViewer::Existing()) {
                // The help belongs to the dialog while it runs, so that it can be used.
                help = viewer->isVisible() && viewer->parentWidget() == dialog
                           ? viewer->CurrentContext()
                           : 0;
            }
            QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("btnOK")),
                              Qt::LeftButton);
        });
        QAction* edit = w.findChild<QAction*>(QStringLiteral("categoryEdit"));
        QVERIFY(edit->isEnabled());
        edit->trigger(); // returns when the dialog has closed

        QCOMPARE(shown, (QStringList{QStringLiteral("one"), QStringLiteral("二"),
                                     QStringLiteral("three")}));
        QVERIFY(workingCopy);
        QCOMPARE(afterAdd.size(), 4);
        QCOMPARE(afterMoves, (QStringList{QStringLiteral("four"), QStringLiteral("one"),
                                          QStringLiteral("二"), QStringLiteral("three")}));
        QCOMPARE(clickedName, QStringLiteral("二"));
        QCOMPARE(help, 25);
        QVERIFY(HelpViewer::Existing() == nullptr); // gone with the dialog
        QVERIFY(w.findChild<TFrmCategoryEdit*>() == nullptr);
        QVERIFY(!QFile::exists(path("tavolin.tmp")));

        QTRY_COMPARE(category->text(), QStringLiteral("二"));
        const QList<QAction*> items = tavolin::testing::CategoryMenu(w)->actions();
        QCOMPARE(items.size(), 6);
        QCOMPARE(items[0]->text(), QStringLiteral("four"));
        QCOMPARE(items[1]->text(), QStringLiteral("one"));
        QCOMPARE(items[2]->text(), QStringLiteral("二"));
    }
};

QTEST_MAIN(TFrmCategoryEditTest)
#include "TFrmCategoryEditTest.moc"
