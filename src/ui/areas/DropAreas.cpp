#include "ui/areas/DropAreas.h"

#include "ui/look/OptIcons.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPixmapCache>
#include <QStyle>
#include <QTimer>

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

void DropArea::ShowPicture(int index) {
    if (index == m_picture)
        return;
    m_picture = index;
    update();
}

void DropArea::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    if (m_picture < 0)
        return;
    // Made at the first drawing, not with the window: the flashing faces may never be needed,
    // and the resting ones wait until there is something to draw them on.
    const QString key = QStringLiteral("tavolin-area-%1").arg(m_picture);
    QPixmap picture;
    if (!QPixmapCache::find(key, &picture)) {
        picture = AreaPicture(m_picture);
        QPixmapCache::insert(key, picture);
    }
    const QRect place =
        QStyle::alignedRect(layoutDirection(), Qt::AlignLeft | Qt::AlignVCenter,
                            picture.deviceIndependentSize().toSize(), contentsRect());
    QPainter(this).drawPixmap(place, picture);
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
    tmDel->setObjectName(QStringLiteral("tmDel"));
    tmDel->setInterval(areas::kCountdownIntervalMs);
    connect(tmDel, &QTimer::timeout, this, [this] { m_batch.tmDelTimer(); });

    imgDel->setObjectName(QStringLiteral("imgDel"));
    imgGom->setObjectName(QStringLiteral("imgGom"));
    for (const AreaKind area : {AreaKind::Delete, AreaKind::Recycle}) {
        ShowWaitingHint(area, false);
        ShowAreaPicture(area, area == AreaKind::Delete ? areas::kDelPicture : areas::kGomPicture);
    }
    connect(imgDel, &DropArea::clicked, this, &DropAreas::imgDelClick);
    connect(imgGom, &DropArea::clicked, this, &DropAreas::imgGomClick);
    connect(imgDel, &DropArea::doubleClicked, this, &DropAreas::imgDelDblClick);
    connect(imgGom, &DropArea::doubleClicked, this, &DropAreas::imgGomDblClick);
}

void DropAreas::Drop(areas::AreaKind area, std::vector<std::string> paths) {
    QMetaObject::invokeMethod(
        this,
        [this, area, paths = std::move(paths)]() mutable {
            m_batch.Append(std::move(paths), area);
        },
        Qt::QueuedConnection);
}

void DropAreas::ShowAreaPicture(AreaKind area, int picture) {
    if (picture < 0 || picture > 3)
        return;
    Area(area)->ShowPicture(picture);
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
