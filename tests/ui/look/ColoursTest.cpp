#include "ui/look/Colours.h"

#include <QtTest>

using namespace tavolin;

// System colours come from the palette of the moment; the settings keep their names.
class ColoursTest : public QObject {
    Q_OBJECT

private slots:
    void systemColoursFollowThePalette_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QColor>("expected");
        QTest::newRow("button face") << QStringLiteral("clBtnFace") << QColor(10, 20, 30);
        QTest::newRow("any case") << QStringLiteral("CLBTNFACE") << QColor(10, 20, 30);
        QTest::newRow("window") << QStringLiteral("clWindow") << QColor(40, 50, 60);
        QTest::newRow("info background") << QStringLiteral("clInfoBk") << QColor(70, 80, 90);
        QTest::newRow("plain name") << QStringLiteral("clLime") << QColor(0, 255, 0);
        QTest::newRow("blue-green-red") << QStringLiteral("$E1FFFF") << QColor(255, 255, 225);
        QTest::newRow("old table number 18") << QStringLiteral("18") << QColor(10, 20, 30);
    }
    void systemColoursFollowThePalette() {
        QFETCH(QString, text);
        QFETCH(QColor, expected);
        QPalette palette;
        palette.setColor(QPalette::Button, QColor(10, 20, 30));
        palette.setColor(QPalette::Base, QColor(40, 50, 60));
        palette.setColor(QPalette::ToolTipBase, QColor(70, 80, 90));
        const Colour colour = ColourFromText(text.toStdString());
        QCOMPARE(ToQColor(colour, palette), expected);
        if (text.startsWith(QStringLiteral("cl"))) {
            QCOMPARE(QString::fromStdString(ColourToText(colour)).toLower(), text.toLower());
        }
    }
};

QTEST_MAIN(ColoursTest)
#include "ColoursTest.moc"
