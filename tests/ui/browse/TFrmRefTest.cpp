#include "ui/browse/TFrmRef.h"

#include "fakes/FakePlatform.h"
#include "ui/look/OptIcons.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QtTest>

#include <filesystem>

using namespace tavolin;
using tavolin::testing::FakePlatform;

namespace {

// A folder tree with files of known sizes and times:
//   a.txt (2,000 bytes, 2020), b.log (5,000 bytes, 2022), Z.md (empty, 2021), sub/inner.txt, zdir/
void MakeTree(const QString& root) {
    namespace fs = std::filesystem;
    const fs::path base = root.toStdString();
    const auto write = [&](const char* name, int bytes, int year) {
        QFile f(root + QLatin1Char('/') + QLatin1String(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(bytes, 'x'));
        f.close();
        if (year > 0) {
            const std::chrono::sys_seconds noon{
                std::chrono::sys_days{std::chrono::year{year} / 6 / 1} + std::chrono::hours{12}};
            const auto when = std::chrono::file_clock::from_sys(noon);
            fs::last_write_time(base / name, when);
        }
    };
    QVERIFY(QDir(root).mkpath(QStringLiteral("sub")));
    QVERIFY(QDir(root).mkpath(QStringLiteral("zdir")));
    write("a.txt", 2000, 2020);
    write("b.log", 5000, 2022);
    write("Z.md", 0, 2021);
    write("sub/inner.txt", 10, 0);
}

// The fixtures in the host's path style: the fake platform takes the host's style, and the
// file system root of the temporary folder ("/", or its drive "C:") is the first drive.
PathStyle HostStyle() {
    return QDir::separator() == QLatin1Char('\\') ? PathStyle::Windows : PathStyle::Posix;
}
std::string TopOf(const QString& nativePath) {
    return HostStyle() == PathStyle::Windows ? nativePath.left(2).toStdString() : "/";
}

QString Cell(const QTreeView* list, int row, int column = 0) {
    return list->model()->index(row, column).data().toString();
}

int RowNamed(const QTreeView* list, const QString& name) {
    for (int row = 0; row < list->model()->rowCount(); ++row) {
        if (Cell(list, row) == name)
            return row;
    }
    return -1;
}

QPoint CentreOf(const QTreeView* list, int row) {
    return list->visualRect(list->model()->index(row, 0)).center();
}

} // namespace

class TFrmRefTest : public QObject {
    Q_OBJECT

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

    template <typename T> static T* Child(QWidget& dialog, const char* name) {
        T* child = dialog.findChild<T*>(QLatin1String(name));
        if (child == nullptr)
            qFatal("no control %s", name);
        return child;
    }

    QTemporaryDir m_dir;
    QString m_root;
    FakePlatform m_platform{HostStyle()};

    QString At(const char* name) const {
        return QDir::toNativeSeparators(m_dir.path() + QLatin1Char('/') + QLatin1String(name));
    }

private slots:
    void initTestCase() {
        InstallIconFallback();
        QVERIFY(m_dir.isValid());
        m_root = QDir::toNativeSeparators(m_dir.path());
        MakeTree(m_dir.path());
        m_platform.drives = {{TopOf(m_root), TopOf(m_root), DriveKind::Fixed},
                             {m_root.toStdString(), "tree", DriveKind::Home}};
        m_platform.specialFolders[SpecialFolder::Desktop] = At("sub").toStdString();
    }

    // From the current folder: up, into a folder by double-click, back by Backspace, every
    // column sorted, the desktop button, and a file chosen by Enter in the list.
    void navigateSortAndChooseAFile() {
        QDir::setCurrent(At("sub"));
        TFrmRef dialog(m_platform, "", nullptr);
        dialog.show();
        QCOMPARE(dialog.windowTitle(), QStringLiteral("フォルダ / ファイルの参照"));
        auto* path = Child<QLineEdit>(dialog, "edtPath");
        auto* file = Child<QLineEdit>(dialog, "edtFile");
        auto* list = Child<QTreeView>(dialog, "lvFile");
        auto* drive = Child<QComboBox>(dialog, "cbDrive");
        QCOMPARE(path->text(), At("sub"));
        QCOMPARE(file->text(), QString());
        QCOMPARE(Cell(list, 0), QStringLiteral("inner.txt"));
        QCOMPARE(drive->currentText(), QStringLiteral("tree"));
        QVERIFY(!drive->itemIcon(1).isNull());
        QVERIFY(list->isHeaderHidden()); // opens in list view
        QVERIFY(list->isColumnHidden(1));
        for (const char* tool : {"tlbUpFolder", "tlbDeskTop", "tlbStart", "tlbSend", "tlbRecent",
                                 "tlbList", "tlbReport"}) {
            QVERIFY2(!Child<QToolButton>(dialog, tool)->icon().isNull(), tool);
        }

        QTest::mouseClick(Child<QToolButton>(dialog, "tlbUpFolder"), Qt::LeftButton);
        QCOMPARE(path->text(), m_root);
        QCOMPARE(list->model()->rowCount(), 5);
        // The press of a double-click picks the row; the second one opens it.
        const QPoint zdir = CentreOf(list, RowNamed(list, QStringLiteral("zdir")));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, zdir);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, zdir);
        QCOMPARE(path->text(), At("zdir"));
        QCOMPARE(list->model()->rowCount(), 0);
        QTest::keyClick(list, Qt::Key_Backspace);
        QCOMPARE(path->text(), m_root);

        // Detail view: the four columns, each sorted from its header.
        QTest::mouseClick(Child<QToolButton>(dialog, "tlbReport"), Qt::LeftButton);
        QVERIFY(!list->isHeaderHidden());
        QVERIFY(!list->isColumnHidden(3));
        QCOMPARE(list->model()->headerData(3, Qt::Horizontal).toString(),
                 QStringLiteral("更新日時"));
        QCOMPARE(Cell(list, RowNamed(list, QStringLiteral("a.txt")), 1), QStringLiteral("1KB"));
        QCOMPARE(Cell(list, RowNamed(list, QStringLiteral("b.log")), 2), QStringLiteral("LOG"));
        QHeaderView* header = list->header();
        const auto clickHeader = [&](int section) {
            QTest::mouseClick(
                header->viewport(), Qt::LeftButton, {},
                QPoint(header->sectionViewportPosition(section) + header->sectionSize(section) / 2,
                       header->height() / 2));
        };
        struct Sorted {
            int section;
            Qt::SortOrder order;
            int row;
            const char* name;
        };
        // A listing is sorted by name already: the first click on it reverses the order.
        for (const Sorted& s :
             {Sorted{0, Qt::DescendingOrder, 0, "Z.md"}, Sorted{0, Qt::AscendingOrder, 0, "sub"},
              Sorted{1, Qt::AscendingOrder, 4, "b.log"}, Sorted{2, Qt::AscendingOrder, 4, "a.txt"},
              Sorted{3, Qt::AscendingOrder, 0, "a.txt"},
              Sorted{3, Qt::DescendingOrder, 4, "a.txt"}}) {
            clickHeader(s.section);
            QCOMPARE(header->sortIndicatorSection(), s.section);
            QCOMPARE(header->sortIndicatorOrder(), s.order);
            QCOMPARE(Cell(list, s.row), QLatin1String(s.name));
        }

        QTest::mouseClick(Child<QToolButton>(dialog, "tlbDeskTop"), Qt::LeftButton);
        QCOMPARE(path->text(), At("sub"));
        QCOMPARE(dialog.focusWidget(), list);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, CentreOf(list, 0));
        QCOMPARE(file->text(), QStringLiteral("inner.txt"));
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(QString::fromStdString(dialog.Result()), At("sub/inner.txt"));
    }

    // From a start file: it is chosen at first; selecting a folder chooses the folder on
    // screen; a missing folder and a missing file are refused at OK with their warnings;
    // cancel closes without a choice.
    void chooseAFolderWarningsAndCancel() {
        {
            TFrmRef dialog(m_platform, At("Z.md").toStdString(), nullptr);
            dialog.show();
            auto* file = Child<QLineEdit>(dialog, "edtFile");
            auto* list = Child<QTreeView>(dialog, "lvFile");
            QCOMPARE(Child<QLineEdit>(dialog, "edtPath")->text(), m_root);
            QCOMPARE(file->text(), QStringLiteral("Z.md"));
            QCOMPARE(list->currentIndex().data().toString(), QStringLiteral("Z.md"));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              CentreOf(list, RowNamed(list, QStringLiteral("sub"))));
            QCOMPARE(file->text(), QString());
            QTest::mouseClick(Child<QPushButton>(dialog, "btnOK"), Qt::LeftButton);
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
            QCOMPARE(QString::fromStdString(dialog.Result()), m_root);
        }

        TFrmRef dialog(m_platform, At("a.txt").toStdString(), nullptr);
        dialog.show();
        auto* path = Child<QLineEdit>(dialog, "edtPath");
        auto* file = Child<QLineEdit>(dialog, "edtFile");
        auto* ok = Child<QPushButton>(dialog, "btnOK");
        path->setText(At("missing"));
        QString message;
        CloseNextMessage(message);
        QTest::mouseClick(ok, Qt::LeftButton);
        QCOMPARE(message, QStringLiteral("パスが存在しません。"));
        QCOMPARE(dialog.focusWidget(), path);
        QVERIFY(dialog.isVisible());

        path->setText(m_root);
        file->setText(QStringLiteral("nothing.txt"));
        CloseNextMessage(message);
        QTest::keyClick(file, Qt::Key_Return); // OK is the default button
        QCOMPARE(message, QStringLiteral("ファイルが存在しません。"));
        QCOMPARE(dialog.focusWidget(), file);
        QVERIFY(dialog.isVisible());

        QTest::mouseClick(Child<QPushButton>(dialog, "btnCANCEL"), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(!dialog.isVisible());
    }
};

QTEST_MAIN(TFrmRefTest)
#include "TFrmRefTest.moc"
