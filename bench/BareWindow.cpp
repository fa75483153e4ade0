// The yardstick of the launcher's start-up benchmark: a bare Qt window of the same kind,
// borderless and on top, with 24 tool buttons showing icons and nothing else.
#include <QApplication>
#include <QFileIconProvider>
#include <QGridLayout>
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
    window.show();
    return QApplication::exec();
}
