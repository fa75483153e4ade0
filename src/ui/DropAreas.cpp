#include "ui/DropAreas.h"

#include "ui/OptIcons.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>
#include <QUrl>

#include <string>
#include <vector>

namespace tavolin {

using areas::AreaKind;

namespace {

const char* DefaultHint(AreaKind area) {
    return area == AreaKind::Delete ? "ファイル削除エリア (ダブルクリックで「ﾏｲ ｺﾝﾋﾟｭｰﾀ」を開く)"
                                    : "ファイルごみ箱エリア (ダブルクリックで「ごみ箱」を開く)";
}

const char* WaitingHint(AreaKind area) {
    return area == AreaKind::Delete ? "ファイル削除 待ち..." : "ファイルごみ箱行き 待ち...";
}

} // namespace

// --- DropArea --------------------------------------------------------------------------------

DropArea::DropArea(QWidget* parent) : QLabel(parent) {
    setAcceptDrops(true);
}

QByteArrayList DropArea::LocalFiles(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls())
        return {};
    QByteArrayList paths;
    for (const QUrl& url : data->urls()) {
        const QString host = url.host();
        if (!url.isLocalFile() || !(host.isEmpty() || host == QLatin1String("localhost"))) {
            return {};
        }
        QByteArray path = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
        while (path.size() > 1 && path.endsWith('/'))
            path.chop(1);
        if (!path.startsWith('/'))
            return {};
        paths << path;
    }
    return paths;
}

void DropArea::dragEnterEvent(QDragEnterEvent* event) {
    if (LocalFiles(event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    if (event->possibleActions() & Qt::MoveAction)
        event->setDropAction(Qt::MoveAction);
    event->accept();
}

void DropArea::dragMoveEvent(QDragMoveEvent* event) {
    if (LocalFiles(event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    if (event->possibleActions() & Qt::MoveAction)
        event->setDropAction(Qt::MoveAction);
    event->accept();
}

void DropArea::dropEvent(QDropEvent* event) {
    const QByteArrayList paths = LocalFiles(event->mimeData());
    if (paths.isEmpty()) {
        event->ignore();
        return;
    }
    // The drag showed the move cursor, but the source is told "copied": a source that
    // removes what it moved would take the files away before the countdown, and a cancel
    // could not bring them back. The batch decides what happens to them.
    if (event->possibleActions() & Qt::CopyAction)
        event->setDropAction(Qt::CopyAction);
    event->accept();
    emit filesDropped(paths);
}

void DropArea::mousePressEvent(QMouseEvent* event) {
    // The press is the area's: it does not start dragging the window.
    m_pressed = event->button() == Qt::LeftButton;
    event->accept();
}

void DropArea::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = m_pressed && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint()) && !m_afterDoubleClick;
    m_pressed = false;
    m_afterDoubleClick = false;
    event->accept();
    if (click)
        emit clicked();
}

void DropArea::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() != Qt::LeftButton)
        return;
    // The release that ends a double-click is not another click.
    m_afterDoubleClick = true;
    emit doubleClicked();
}

// --- DropAreas -------------------------------------------------------------------------------

DropAreas::DropAreas(Platform& platform, View& view, const WindowSettings& settings,
                     QWidget* window)
    : QObject(window), imgDel(new DropArea(window)), imgGom(new DropArea(window)),
      tmDel(new QTimer(this)), m_batch(platform, view, *this, settings) {
    for (int i = 0; i < 4; ++i)
        m_pictures[static_cast<std::size_t>(i)] = AreaPicture(i);
    tmDel->setObjectName(QStringLiteral("tmDel"));
    tmDel->setInterval(areas::kCountdownIntervalMs);
    connect(tmDel, &QTimer::timeout, this, [this] { m_batch.tmDelTimer(); });

    imgDel->setObjectName(QStringLiteral("imgDel"));
    imgGom->setObjectName(QStringLiteral("imgGom"));
    for (const AreaKind area : {AreaKind::Delete, AreaKind::Recycle}) {
        DropArea* widget = Area(area);
        ShowWaitingHint(area, false);
        ShowAreaPicture(area, area == AreaKind::Delete ? areas::kDelPicture : areas::kGomPicture);
        // After the drop has been answered: with DelFlash 0 the delete runs at once, and its
        // messages must not hold the drag source waiting.
        connect(
            widget, &DropArea::filesDropped, this,
            [this, area](const QByteArrayList& paths) {
                std::vector<std::string> list;
                list.reserve(static_cast<std::size_t>(paths.size()));
                for (const QByteArray& p : paths)
                    list.push_back(p.toStdString());
                m_batch.Append(std::move(list), area);
            },
            Qt::QueuedConnection);
    }
    connect(imgDel, &DropArea::clicked, this, &DropAreas::imgDelClick);
    connect(imgGom, &DropArea::clicked, this, &DropAreas::imgGomClick);
    connect(imgDel, &DropArea::doubleClicked, this, &DropAreas::imgDelDblClick);
    connect(imgGom, &DropArea::doubleClicked, this, &DropAreas::imgGomDblClick);
}

void DropAreas::ShowAreaPicture(AreaKind area, int picture) {
    if (picture < 0 || picture > 3)
        return;
    Area(area)->setPixmap(m_pictures[static_cast<std::size_t>(picture)]);
}

void DropAreas::ShowWaitingHint(AreaKind area, bool waiting) {
    Area(area)->setToolTip(QString::fromUtf8(waiting ? WaitingHint(area) : DefaultHint(area)));
}

void DropAreas::SetCountdownRunning(bool running) {
    if (!running) {
        tmDel->stop();
    } else if (!tmDel->isActive()) {
        tmDel->start();
    }
}

} // namespace tavolin
