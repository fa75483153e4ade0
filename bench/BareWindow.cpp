// The yardstick of the launcher's start-up benchmark: a bare Qt window of the same kind,
// borderless and on top, with 24 tool buttons showing icons and nothing else. With
// --japanese-text it also shows one line of Japanese in the launcher's fallback font, which
// is what any window with Japanese text pays for the font set-up on top of that.
#include <QApplication>
#include <QFileIconProvider>
#include <QGridLayout>
#include <QLabel>
#include <QStyle>
#include <QToolButton>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    window.setWindowTitle(QStringLiteral("BareWindow"));
    auto* grid = new QGridLayout(&window);
    grid->setSpacing(0);
    grid->setContentsMargins(3, 3, 3, 3);
    const QFileIconProvider icons;
    const QIcon icon = icons.icon(QFileIconProvider::File);
    for (int n = 0; n < 24; ++n) {
        auto* b = new QToolButton(&window);
        b->setIcon(icon);
        b->setIconSize({16, 16});
        grid->addWidget(b, n / 12, n % 12);
    }
    if (argc > 1 && QString::fromLocal8Bit(argv[1]) == QStringLiteral("--japanese-text")) {
        auto* label = new QLabel(QStringLiteral("無題カテゴリ 2026/12/7(月) 23:59"), &window);
        label->setFont(QFont(QStringLiteral("IPAPGothic"), 9));
        grid->addWidget(label, 2, 0, 1, 12);
    }
    window.show();
    return QApplication::exec();
}
