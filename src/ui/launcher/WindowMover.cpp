#include "ui/launcher/WindowMover.h"

#include "core/Platform.h"
#include "core/launcher/Launcher.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QScreen>
#include <QWidget>

#include <optional>
#include <utility>
#include <vector>

namespace tavolin {

namespace {

layout::Rect ToRect(const QRect& r) {
    return {r.x(), r.y(), r.width(), r.height()};
}

} // namespace

WindowMover::WindowMover(QWidget& window, Platform& platform, Launcher& core,
                         layout::WindowLayout& layout)
    : QObject(&window), m_window(window), m_platform(platform), m_core(core), m_layout(layout) {}

layout::Rect WindowMover::Geometry() const {
    if (m_placing)
        return m_layout.window;
    // The size is the one the program set (nobody else resizes the window), never one that
    // a window manager reports for a frame of its own; the origin is where the server shows
    // the window once a move was reported.
    layout::Rect r = m_layout.window;
    QPoint origin = m_window.geometry().topLeft();
    if (m_originUnsure && QGuiApplication::platformName() == QLatin1String("xcb")) {
        if (const std::optional<ScreenPoint> shown =
                m_platform.WindowOrigin(static_cast<NativeWindow>(m_window.winId()))) {
            origin = QPoint(shown->x, shown->y);
            m_originUnsure = false;
        }
    }
    r.left = origin.x();
    r.top = origin.y();
    return r;
}

void WindowMover::WindowMoved() {
    // Qt asks the server where the window is when the window manager reparents it, which
    // can be before the window manager has moved its frame into place; the later move of
    // the frame may never be reported. Ask again before the position is used.
    if (m_window.isVisible())
        m_originUnsure = true;
}

void WindowMover::MoveTo(QPoint topLeft) {
    // A top-level move() places the frame, which a window manager may report larger than
    // the borderless window; the geometry places the window itself.
    const layout::Rect now = Geometry();
    if (QPoint(now.left, now.top) != topLeft || m_window.geometry().topLeft() != topLeft)
        m_window.setGeometry(QRect(topLeft, m_window.size()));
}

QRect WindowMover::WorkArea() const {
    QScreen* s = QGuiApplication::screenAt(m_window.geometry().center());
    if (s == nullptr)
        s = m_window.screen();
    if (s == nullptr)
        s = QGuiApplication::primaryScreen();
    return s != nullptr ? s->availableGeometry() : QRect(0, 0, 640, 480);
}

void WindowMover::PlaceAtCorner(int pos) {
    m_cornerArea = WorkArea();
    const layout::CornerPlacement placed =
        layout::PlaceAtCorner(Geometry(), ToRect(m_cornerArea), pos);
    if (pos == 0)
        m_core.Settings().WinPos = placed.winPos;
    PlaceAt(placed.window);
}

void WindowMover::KeepOnScreen() {
    std::vector<layout::Rect> areas;
    for (const QScreen* s : QGuiApplication::screens())
        areas.push_back(ToRect(s->availableGeometry()));
    const layout::Rect now = Geometry();
    const layout::Rect kept = layout::KeepOnScreen(now, areas);
    if (kept == now)
        return;
    PlaceAt(kept);
}

void WindowMover::PlaceAt(const layout::Rect& placed) {
    m_layout.window = placed;
    MoveTo(QPoint(placed.left, placed.top));
    const QScopedValueRollback<bool> placing(m_placing, true);
    m_core.SaveSettings();
}

void WindowMover::FollowWorkArea() {
    // Only a window that still stands in its corner of the work area it was placed in
    // follows; one the user has dragged away stays where it was put.
    const int winPos = m_core.Settings().WinPos;
    const layout::Rect now = Geometry();
    const bool inCorner = winPos >= 1 && winPos <= 4 && m_cornerArea.isValid() &&
                          layout::PlaceAtCorner(now, ToRect(m_cornerArea), winPos).window == now;
    if (inCorner)
        PlaceAtCorner(winPos);
}

void WindowMover::WatchScreens() {
    // A window in a corner stays there when a panel comes, goes or moves, or a screen
    // changes.
    const auto follow = [this](QScreen* s) {
        connect(s, &QScreen::availableGeometryChanged, this, [this] { FollowWorkArea(); });
    };
    for (QScreen* s : QGuiApplication::screens())
        follow(s);
    connect(qApp, &QGuiApplication::screenAdded, this, follow);
    connect(qApp, &QGuiApplication::screenRemoved, this, [this] { FollowWorkArea(); });
}

// --- dragging ----------------------------------------------------------------------------

void WindowMover::WatchBackground(Background background) {
    m_background = std::move(background);
    m_window.installEventFilter(this);
}

bool WindowMover::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &m_window)
        return false;
    switch (event->type()) {
    case QEvent::Move:
        WindowMoved();
        return false;
    case QEvent::MouseButtonPress:
        return BackgroundPress(static_cast<QMouseEvent*>(event));
    case QEvent::MouseMove:
        return Drag(static_cast<QMouseEvent*>(event));
    case QEvent::MouseButtonRelease:
        return EndDrag(static_cast<QMouseEvent*>(event));
    case QEvent::MouseButtonDblClick: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const QWidget* child = m_window.childAt(mouse->position().toPoint());
        if (mouse->button() == Qt::LeftButton && m_background.corners(child)) {
            m_background.nextCorner();
            return true;
        }
        // Elsewhere a double-click is a press, as a widget's default handling makes it.
        return BackgroundPress(mouse);
    }
    default:
        return false;
    }
}

bool WindowMover::BackgroundPress(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return false;
    // A left press on the option toolbar's free space, for one, leaves the window where it
    // is; a double-click there may still put it into a corner.
    if (!m_background.stays(m_window.childAt(event->position().toPoint())))
        StartDrag(event->globalPosition().toPoint());
    event->accept();
    return true;
}

void WindowMover::StartDrag(QPoint global) {
    m_dragging = true;
    m_dragOffset = global - m_window.geometry().topLeft();
}

bool WindowMover::Drag(QMouseEvent* event) {
    if (!m_dragging || !(event->buttons() & Qt::LeftButton))
        return false;
    const QPoint cursor = event->globalPosition().toPoint();
    const QPoint topLeft = cursor - m_dragOffset;
    layout::Rect proposed{topLeft.x(), topLeft.y(), m_window.width(), m_window.height()};
    if (event->modifiers() & Qt::ControlModifier) {
        QScreen* s = QGuiApplication::screenAt(cursor);
        const QRect work = s != nullptr ? s->availableGeometry() : WorkArea();
        proposed = layout::SnapWhileMoving(proposed, {cursor.x(), cursor.y()}, ToRect(work), true);
    }
    m_window.setGeometry(QRect(QPoint(proposed.left, proposed.top), m_window.size()));
    m_layout.window.left = proposed.left;
    m_layout.window.top = proposed.top;
    return true;
}

bool WindowMover::EndDrag(QMouseEvent* event) {
    if (!m_dragging || event->button() != Qt::LeftButton)
        return false;
    m_dragging = false;
    m_core.SaveSettings();
    return true;
}

bool WindowMover::ShrunkenPress(QMouseEvent* event, bool shrunk) {
    // Only presses on the small look: the controls it hides are not there to be pressed.
    if (!shrunk || event->button() != Qt::LeftButton)
        return false;
    m_shrunkPress = true;
    m_shrunkPressOrigin = m_window.geometry().topLeft();
    StartDrag(event->globalPosition().toPoint());
    return true;
}

bool WindowMover::ShrunkenMove(QMouseEvent* event) {
    if (!m_shrunkPress)
        return false;
    if (!Drag(event))
        event->ignore(); // passed on to the parent controls, as a move the window does not take
    return true;
}

bool WindowMover::ShrunkenRelease(QMouseEvent* event) {
    if (!m_shrunkPress || event->button() != Qt::LeftButton)
        return false;
    m_shrunkPress = false;
    m_dragging = false;
    if (m_window.geometry().topLeft() != m_shrunkPressOrigin)
        m_core.SaveSettings();
    return true;
}

} // namespace tavolin
