// A small window that drags files: a left press starts a drag of the files named on the
// command line as a text/uri-list, offering copy, move and link, as a file manager does. It
// prints the action the target reported and ends. The end-to-end tests drive it with
// xdotool to make real drops on the launcher.
//
//   drag_source X Y FILE...
#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <QWidget>

#include <cstdio>

namespace {

class Source : public QWidget {
public:
    explicit Source(QList<QUrl> urls) : m_urls(std::move(urls)) {
        setWindowTitle(QStringLiteral("tavolin-drag-source"));
        setFixedSize(120, 120);
    }

protected:
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton)
            return;
        auto* drag = new QDrag(this);
        auto* mime = new QMimeData;
        mime->setUrls(m_urls);
        drag->setMimeData(mime);
        const Qt::DropAction action =
            drag->exec(Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, Qt::CopyAction);
        std::printf("%d\n", static_cast<int>(action));
        std::fflush(stdout);
        QApplication::quit();
    }

private:
    QList<QUrl> m_urls;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() < 4) {
        std::fprintf(stderr, "usage: drag_source X Y FILE...\n");
        return 2;
    }
    QList<QUrl> urls;
    for (qsizetype i = 3; i < args.size(); ++i)
        urls << QUrl::fromLocalFile(args[i]);
    Source source(urls);
    source.move(args[1].toInt(), args[2].toInt());
    source.show();
    return app.exec();
}
