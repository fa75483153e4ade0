#include "ui/look/DialogFont.h"

#include "fakes/FakePlatform.h"
#include "ui/UiTestSupport.h"
#include "ui/auxwindow/TFrmAdr.h"
#include "ui/browse/TFrmRef.h"
#include "ui/categories/TFrmCategoryEdit.h"
#include "ui/commands/AboutBox.h"
#include "ui/commands/HelpViewer.h"
#include "ui/launcher/Application.h"
#include "ui/launcher/TFrmMain.h"
#include "ui/look/OptIcons.h"
#include "ui/options/TFrmBtnSet.h"

#include <QFontDatabase>
#include <QKeySequenceEdit>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace tavolin;
using tavolin::testing::FakePlatform;

// Every caption of every dialog fits its control in the Japanese font this machine has, at
// the designed positions and sizes.
class DialogFontTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { InstallIconFallback(); }

    void everyCaptionFitsItsControl() {
        QTemporaryDir dir;
        FakePlatform platform;
        const DataFiles files = tavolin::testing::FilesIn(dir);
        TFrmMain window(platform, files);
        const std::vector<std::unique_ptr<QWidget>> dialogs = [&] {
            std::vector<std::unique_ptr<QWidget>> d;
            d.push_back(std::make_unique<TFrmBtnSet>(
                platform, window.Core(), TFrmBtnSet::Opening{1, QStringLiteral("12:00")}, &window));
            d.push_back(std::make_unique<TFrmCategoryEdit>(platform, files, &window));
            d.push_back(std::make_unique<TFrmRef>(platform, std::string(), &window));
            d.push_back(std::make_unique<TFrmAdr>(platform, files, auxwindow::Mode::Adr, &window));
            d.push_back(std::make_unique<TAboutBox>(platform, &window));
            return d;
        }();
        for (const auto& dialog : dialogs) {
            const QStringList misfits = CaptionsThatDoNotFit(dialog.get());
            QVERIFY2(misfits.isEmpty(), qPrintable(dialog->objectName() + QStringLiteral(" (") +
                                                   dialog->font().family() + QStringLiteral("): ") +
                                                   misfits.join(QStringLiteral("; "))));
        }
        // The help's topic list shows every topic whole.
        HelpViewer& help = HelpViewer::Instance();
        help.show();
        QVERIFY(QTest::qWaitForWindowExposed(&help));
        const auto* topics = help.findChild<QListWidget*>(QStringLiteral("lbTopics"));
        QVERIFY(topics->count() > 10);
        QVERIFY(topics->sizeHintForColumn(0) <= topics->viewport()->width());
        help.close();
    }

    // Menus, tool tips and message boxes keep the desktop's font where it draws Japanese;
    // where it does not, the windows' Japanese font stands in at the desktop's size.
    void theApplicationFontDrawsJapanese() {
        const QFont before = QApplication::font();
        const QString japanese = JapaneseFontFamily(QStringLiteral("ＭＳ Ｐゴシック"));
        QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 11));
        ApplyApplicationFont();
        QCOMPARE(QApplication::font().family(), japanese);
        QCOMPARE(QApplication::font().pointSize(), 11);
        if (QFontDatabase::writingSystems(japanese).contains(QFontDatabase::Japanese)) {
            QFont own(japanese, 10);
            QApplication::setFont(own);
            ApplyApplicationFont();
            QCOMPARE(QApplication::font(), own);
        }
        QApplication::setFont(before);
    }

    // Qt's own texts are Japanese as well, from Qt's translation: the edit fields' context
    // menu and the hot-key box's prompt.
    void qtsOwnTextsAreJapanese() {
        QVERIFY(InstallQtTranslation(QStringLiteral("ja")));
        QLineEdit edit(QStringLiteral("text"));
        edit.selectAll();
        const std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
        QStringList texts;
        for (const QAction* action : menu->actions())
            texts << action->text();
        QVERIFY2(texts.filter(QStringLiteral("貼り付け(&P)")).size() == 1,
                 qPrintable(texts.join(QStringLiteral(", "))));
        const QKeySequenceEdit hotKey;
        QCOMPARE(hotKey.findChild<QLineEdit*>()->placeholderText(),
                 QStringLiteral("ショートカットを押してください"));
    }
};

QTEST_MAIN(DialogFontTest)
#include "DialogFontTest.moc"
