#include "ui/look/OptIcons.h"

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

using namespace tavolin;

// The option pictures must be there on a desktop without any icon theme of its own (bare X11,
// Windows): only the compiled-in Tango theme is searched here.
class OptIconsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        InstallIconFallback();
        QIcon::setThemeSearchPaths({QStringLiteral(":/icons")});
        QIcon::setThemeName(QStringLiteral("TavolinTango"));
    }

    void everyOptionPictureExistsWithoutASystemTheme() {
        for (int index = 0; index < 32; ++index) {
            const QIcon icon = OptIcon(index);
            QVERIFY2(!icon.isNull(), qPrintable(QStringLiteral("ilOpt %1").arg(index)));
            QVERIFY(!icon.pixmap(16, 16).isNull());
        }
        QVERIFY(OptIcon(32).isNull());
        QVERIFY(OptIcon(-1).isNull());
    }

    void bigIconsHaveTheirOwnSize() {
        // 32 x 32 pictures come from the theme's own 32 x 32 set, not a blown-up 16 x 16.
        const QList<QSize> sizes = OptIcon(23).availableSizes();
        QVERIFY(sizes.contains(QSize(16, 16)));
        QVERIFY(sizes.contains(QSize(32, 32)));
    }

    // A desktop entry on a button shows the icon its Icon= names, as the desktop reads the
    // entry (escapes and quotes included); an entry naming none, or no valid entry at all,
    // shows the file's own picture. Any other target shows the generic icon of its type: by
    // its extension, else by its first bytes.
    void aTargetShowsTheIconOfItsEntryOrType() {
        if (QSysInfo::productType() == QLatin1String("windows"))
            QSKIP("Windows reads no desktop entries and asks the shell for a file's icon");
        QTemporaryDir dir;
        const auto file = [&](const char* name, const QByteArray& text) {
            QFile f(dir.filePath(QLatin1String(name)));
            f.open(QIODevice::WriteOnly);
            f.write(text);
            return f.fileName();
        };
        const QString themed = file("copy.desktop", "[Desktop Entry]\nType=Application\n"
                                                    "Name=Copy\nExec=true\nIcon=edit-copy\n");
        QCOMPARE(TargetIcon(themed).name(), QStringLiteral("edit-copy"));
        QImage red(8, 8, QImage::Format_RGB32);
        red.fill(Qt::red);
        QVERIFY(red.save(dir.filePath(QStringLiteral("my picture.png"))));
        const QByteArray escaped = dir.filePath(QStringLiteral("my\\spicture.png")).toUtf8();
        const QString spaced = file("spaced.desktop", "[Desktop Entry]\nType=Application\n"
                                                      "Name=P\nExec=true\nIcon=" +
                                                          escaped + "\n");
        QCOMPARE(TargetIcon(spaced).pixmap(8, 8).toImage().pixelColor(4, 4), QColor(Qt::red));
        const QString broken = file("broken.desktop", "Icon=edit-copy\n");
        QVERIFY(TargetIcon(broken).name() != QStringLiteral("edit-copy"));

        QCOMPARE(TargetIcon(dir.path()).name(), QStringLiteral("folder"));
        QCOMPARE(TargetIcon(file("notes.txt", "notes\n")).name(), QStringLiteral("text-x-generic"));
        QCOMPARE(TargetIcon(file("picture.png", "")).name(), QStringLiteral("image-x-generic"));
        QCOMPARE(TargetIcon(file("backup", "#!/bin/sh\ncp -a a b\n")).name(),
                 QStringLiteral("text-x-script"));
        QCOMPARE(TargetIcon(QStringLiteral("/bin/sh")).name(),
                 QStringLiteral("application-x-executable"));
        QVERIFY(TargetIcon(dir.filePath(QStringLiteral("gone.txt"))).isNull());
    }

    void dropAreaPicturesAreDrawn() {
        for (int index = 0; index < 4; ++index) {
            const QPixmap picture = AreaPicture(index);
            QCOMPARE(picture.size(), QSize(36, 45));
        }
        // The flashing face differs from the resting one; all four are opaque, on the yellow
        // (delete) and green (recycle bin) grounds.
        QVERIFY(AreaPicture(0).toImage() != AreaPicture(2).toImage());
        for (int index = 0; index < 4; ++index) {
            const QImage image = AreaPicture(index).toImage();
            QVERIFY(!image.hasAlphaChannel() || image.pixelColor(18, 22).alpha() == 255);
            const QColor ground = image.pixelColor(3, 42);
            if (index % 2 == 0) {
                QVERIFY2(ground.red() > 200 && ground.green() > 200 && ground.blue() < 120,
                         qPrintable(ground.name()));
            } else {
                QVERIFY2(ground.green() > 180 && ground.red() < 180 && ground.blue() < 120,
                         qPrintable(ground.name()));
            }
        }
    }
};

QTEST_MAIN(OptIconsTest)
#include "OptIconsTest.moc"
