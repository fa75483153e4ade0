#include "ui/drop/DropAdapter.h"

#include "core/path/PathHelpers.h"

#include <QAbstractScrollArea>
#include <QDir>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QMimeData>
#include <QScrollBar>
#include <QUrl>
#include <QWidget>

#include <exception>

namespace tavolin {

namespace {

using drop::effect::kCopy;
using drop::effect::kLink;
using drop::effect::kMove;

drop::TShiftState ShiftStateOf(const QDropEvent& event) {
    drop::TShiftState state = 0;
    // A drag from another program: the keys were pressed while that program had the
    // keyboard, so the state this program keeps may not know them; ask the system too.
    const Qt::KeyboardModifiers keys =
        event.modifiers() | QGuiApplication::queryKeyboardModifiers();
    if (keys & Qt::ShiftModifier)
        state |= drop::shift::kShift;
    if (keys & Qt::ControlModifier)
        state |= drop::shift::kCtrl;
    if (keys & Qt::AltModifier)
        state |= drop::shift::kAlt;
    const Qt::MouseButtons buttons = event.buttons();
    if (buttons & Qt::LeftButton)
        state |= drop::shift::kLeft;
    if (buttons & Qt::RightButton)
        state |= drop::shift::kRight;
    if (buttons & Qt::MiddleButton)
        state |= drop::shift::kMiddle;
    return state;
}

drop::DropPoint PointOf(const QDropEvent& event) {
    const QPoint p = event.position().toPoint();
    return {p.x(), p.y()};
}

std::uint32_t EffectsOf(Qt::DropActions actions) {
    std::uint32_t effects = 0;
    if (actions & Qt::CopyAction)
        effects |= kCopy;
    if (actions & Qt::MoveAction)
        effects |= kMove;
    if (actions & Qt::LinkAction)
        effects |= kLink;
    return effects;
}

Qt::DropAction ActionOf(std::uint32_t effect) {
    if (effect & kCopy)
        return Qt::CopyAction;
    if (effect & kMove)
        return Qt::MoveAction;
    if (effect & kLink)
        return Qt::LinkAction;
    return Qt::IgnoreAction;
}

} // namespace

QtDropData::QtDropData(const QMimeData& mime, PathStyle style) : m_files(LocalFiles(mime, style)) {}

std::vector<std::string> QtDropData::LocalFiles(const QMimeData& mime, PathStyle style) {
    if (!mime.hasUrls())
        return {};
    std::vector<std::string> paths;
    for (const QUrl& url : mime.urls()) {
        if (!url.isLocalFile())
            return {};
        const QString host = url.host();
        if (!(host.isEmpty() || host == QLatin1String("localhost"))) {
            if (style != PathStyle::Windows)
                return {};
            // A file on a network share: "file://server/share/x" is "\\server\share\x".
            paths.push_back(NativePath(url.toLocalFile().toStdString(), style));
            continue;
        }
        QByteArray path = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
        if (path.size() >= 3 && path[2] == ':') {
            // "/C:/x": a drive path, whose names are Unicode ("C:\x" in the Windows style).
            QString local = url.toLocalFile();
            if (style == PathStyle::Windows && local.startsWith(QLatin1Char('/')))
                local.remove(0, 1);
            paths.push_back(NativePath(local.toStdString(), style));
            continue;
        }
        while (path.size() > 1 && path.endsWith('/'))
            path.chop(1);
        if (!path.startsWith('/'))
            return {};
        paths.push_back(path.toStdString());
    }
    return paths;
}

std::optional<std::vector<std::string>> QtDropData::FileList() const {
    if (m_files.empty())
        return std::nullopt;
    return m_files;
}

DropAdapter::DropAdapter(QWidget* window, drop::TDropTarget& target, PathStyle style)
    : QObject(window), m_window(window), m_target(target), m_style(style) {
    m_scrollTimer.setInterval(100);
    connect(&m_scrollTimer, &QTimer::timeout, this, &DropAdapter::Scroll);
    m_window->setAcceptDrops(true);
    m_window->installEventFilter(this);
}

DropAdapter::~DropAdapter() {
    m_window->removeEventFilter(this);
    m_window->setAcceptDrops(false);
}

drop::ScrollableWindow DropAdapter::WindowForScrolling() const {
    drop::ScrollableWindow w;
    w.width = m_window->width();
    w.height = m_window->height();
    w.margin = m_window->fontMetrics().height();
    if (const auto* area = qobject_cast<const QAbstractScrollArea*>(m_window)) {
        w.horizontalBar = area->horizontalScrollBar()->isVisible();
        w.verticalBar = area->verticalScrollBar()->isVisible();
    }
    return w;
}

void DropAdapter::Scroll() {
    auto* area = qobject_cast<QAbstractScrollArea*>(m_window);
    const drop::ScrollStep step = m_target.ScrollTick();
    if (area == nullptr)
        return;
    if (step.vertical != 0) {
        area->verticalScrollBar()->triggerAction(step.vertical < 0
                                                     ? QAbstractSlider::SliderSingleStepSub
                                                     : QAbstractSlider::SliderSingleStepAdd);
    }
    if (step.horizontal != 0) {
        area->horizontalScrollBar()->triggerAction(step.horizontal < 0
                                                       ? QAbstractSlider::SliderSingleStepSub
                                                       : QAbstractSlider::SliderSingleStepAdd);
    }
}

bool DropAdapter::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_window)
        return false;
    try {
        switch (event->type()) {
        case QEvent::DragEnter: {
            auto* e = static_cast<QDragEnterEvent*>(event);
            const auto data = std::make_shared<const QtDropData>(*e->mimeData(), m_style);
            const std::uint32_t chosen =
                m_target.DragEnter(data, ShiftStateOf(*e), PointOf(*e),
                                   EffectsOf(e->possibleActions()), WindowForScrolling());
            if (!m_target.Dragging()) {
                e->ignore();
                return true;
            }
            if (ActionOf(chosen) != Qt::IgnoreAction)
                e->setDropAction(ActionOf(chosen));
            e->accept();
            return true;
        }
        case QEvent::DragMove: {
            auto* e = static_cast<QDragMoveEvent*>(event);
            const std::uint32_t chosen =
                m_target.DragOver(ShiftStateOf(*e), PointOf(*e), EffectsOf(e->possibleActions()));
            if (m_target.Scrolling() != m_scrollTimer.isActive()) {
                if (m_target.Scrolling())
                    m_scrollTimer.start();
                else
                    m_scrollTimer.stop();
            }
            const Qt::DropAction action = ActionOf(chosen);
            if (action == Qt::IgnoreAction) {
                e->ignore();
            } else {
                e->setDropAction(action);
                e->accept();
            }
            return true;
        }
        case QEvent::DragLeave:
            m_scrollTimer.stop();
            m_target.DragLeave();
            return true;
        case QEvent::Drop: {
            auto* e = static_cast<QDropEvent*>(event);
            m_scrollTimer.stop();
            const std::uint32_t chosen =
                m_target.Drop(ShiftStateOf(*e), PointOf(*e), EffectsOf(e->possibleActions()));
            e->setDropAction(ActionOf(chosen));
            e->accept();
            return true;
        }
        default:
            return false;
        }
    } catch (const std::exception& error) {
        m_scrollTimer.stop();
        if (m_error)
            m_error(error.what());
        return true;
    }
}

} // namespace tavolin
