#include "ui/launcher/QtView.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

using namespace tavolin;

// Drives the real message box: waits for it to appear, records what it shows, and presses
// the button with the given text.
class QtViewTest : public QObject {
    Q_OBJECT

    struct Seen {
        QString title;
        QStringList buttons;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
    };

    void PressWhenShown(const QString& buttonText) {
        auto seen = std::make_shared<Seen>();
        QTimer::singleShot(0, this, [seen, buttonText] { Press(seen, buttonText, 100); });
        m_pending = seen;
    }

    static void Press(const std::shared_ptr<Seen>& seen, const QString& buttonText, int triesLeft) {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            if (triesLeft > 0) {
                QTimer::singleShot(10, [=] { Press(seen, buttonText, triesLeft - 1); });
            }
            return;
        }
        seen->title = box->windowTitle();
        seen->icon = box->icon();
        for (QAbstractButton* button : box->buttons()) {
            seen->buttons << button->text();
        }
        for (QAbstractButton* button : box->buttons()) {
            if (button->text() == buttonText) {
                button->click();
                return;
            }
        }
        box->reject();
    }

    std::shared_ptr<Seen> m_pending;

private slots:
    void buttonsTitlesAndResults_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<uint>("buttons");
        QTest::addColumn<QString>("press");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("information-yes")
            << 2 << 3u << QStringLiteral("はい(&Y)") << 6 << QStringLiteral("情報")
            << QStringList{QStringLiteral("はい(&Y)"), QStringLiteral("いいえ(&N)")};
        QTest::newRow("information-no")
            << 2 << 3u << QStringLiteral("いいえ(&N)") << 7 << QStringLiteral("情報")
            << QStringList{QStringLiteral("はい(&Y)"), QStringLiteral("いいえ(&N)")};
        QTest::newRow("warning-ok") << 0 << 4u << QStringLiteral("OK") << 1
                                    << QStringLiteral("警告") << QStringList{QStringLiteral("OK")};
        QTest::newRow("error-ok-cancel")
            << 1 << 12u << QStringLiteral("キャンセル") << 2 << QStringLiteral("エラー")
            << QStringList{QStringLiteral("OK"), QStringLiteral("キャンセル")};
        QTest::newRow("confirm-yes-no-cancel")
            << 3 << 11u << QStringLiteral("キャンセル") << 2 << QStringLiteral("確認")
            << QStringList{QStringLiteral("はい(&Y)"), QStringLiteral("いいえ(&N)"),
                           QStringLiteral("キャンセル")};
        QTest::newRow("cancel-retry")
            << 1 << 40u << QStringLiteral("再試行(&R)") << 4 << QStringLiteral("エラー")
            << QStringList{QStringLiteral("キャンセル"), QStringLiteral("再試行(&R)")};
        QTest::newRow("escape-is-cancel")
            << 3 << 11u << QString() << 2 << QStringLiteral("確認")
            << QStringList{QStringLiteral("はい(&Y)"), QStringLiteral("いいえ(&N)"),
                           QStringLiteral("キャンセル")};
    }

    void buttonsTitlesAndResults() {
        QFETCH(int, kind);
        QFETCH(uint, buttons);
        QFETCH(QString, press);
        QFETCH(int, result);
        QFETCH(QString, title);
        QFETCH(QStringList, shown);

        QtView view;
        PressWhenShown(press);
        const MsgResult answer = view.ShowMessage("本文", static_cast<MsgKind>(kind), buttons, 0);
        QCOMPARE(static_cast<int>(answer), result);
        QCOMPARE(m_pending->title, title);
        QStringList seenButtons = m_pending->buttons;
        std::sort(seenButtons.begin(), seenButtons.end());
        std::sort(shown.begin(), shown.end());
        QCOMPARE(seenButtons, shown);
    }

    void iconFollowsKind() {
        QtView view;
        PressWhenShown(QStringLiteral("OK"));
        view.ShowMessage("x", MsgKind::Error, 4, 0);
        QCOMPARE(m_pending->icon, QMessageBox::Critical);
        PressWhenShown(QStringLiteral("OK"));
        view.ShowMessage("x", MsgKind::Warning, 4, 0);
        QCOMPARE(m_pending->icon, QMessageBox::Warning);
    }

    void busyCursorNestsAndRestores() {
        QtView view;
        view.SetBusy(true);
        view.SetBusy(true);
        QVERIFY(QApplication::overrideCursor());
        view.SetBusy(false);
        QVERIFY(QApplication::overrideCursor());
        view.SetBusy(false);
        QVERIFY(!QApplication::overrideCursor());
        view.SetBusy(false); // an extra release does not underflow
        QVERIFY(!QApplication::overrideCursor());
    }
};

QTEST_MAIN(QtViewTest)
#include "QtViewTest.moc"
