#pragma once

#include "core/layout/Layout.h"

#include <QObject>
#include <QPoint>
#include <QRect>

#include <functional>

class QEvent;
class QMouseEvent;
class QWidget;

namespace tavolin {

class Launcher;
class Platform;

// Where the launcher window stands and how it moves: dragged by its background (with Ctrl it
// docks to the work area's edges), put into a corner of the work area and kept there when the
// work area changes, brought back onto a screen. Every move ends in the layout's window
// rectangle, and a finished move is saved as the settings' place.
class WindowMover : public QObject {
    Q_OBJECT
public:
    WindowMover(QWidget& window, Platform& platform, Launcher& core, layout::WindowLayout& layout);

    // The window's outer geometry in screen coordinates, as the settings store it.
    layout::Rect Geometry() const;
    // The window system reported a move: Geometry() asks it where the window is.
    void WindowMoved();
    // Moves the window's client area (not a frame the window manager may report) to `topLeft`.
    void MoveTo(QPoint topLeft);
    // The work area of the screen the window is on.
    QRect WorkArea() const;
    // Puts the window into corner `pos` of the work area (see layout::PlaceAtCorner) and
    // saves the place; the corner 0 chooses becomes the settings' WinPos.
    void PlaceAtCorner(int pos);
    // Brings a window that is mostly off every screen back into the nearest work area.
    void KeepOnScreen();
    // Puts a window that still sits in its corner back into the corner of the work area now.
    void FollowWorkArea();
    // From now on the window follows the work areas of the screens, as they come and change.
    void WatchScreens();

    // The window's own mouse events, those no control took. A left press on the background
    // drags the window (with Ctrl it docks), and the release saves the place; a left
    // double-click asks for the next corner. `stays` names the controls that a press leaves
    // where they are, `corners` the ones where a double-click counts; nullptr is the window.
    struct Background {
        std::function<bool(const QWidget* child)> stays;
        std::function<bool(const QWidget* child)> corners;
        std::function<void()> nextCorner;
    };
    void WatchBackground(Background background);

    // The left button held on the shrunken window moves it, wherever it went down: the press
    // (taken when the window is `shrunk`), the moves and the release each return whether they
    // were the held press's. The release saves a place that changed.
    bool ShrunkenPress(QMouseEvent* event, bool shrunk);
    bool ShrunkenMove(QMouseEvent* event);
    bool ShrunkenRelease(QMouseEvent* event);
    // Whether a press that began on the shrunken window is held.
    bool PressHeld() const { return m_shrunkPress; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Dragging: a left press at `global`, the moves, the release (which saves the place). Move
    // and release return false for an event that is not the drag's.
    void StartDrag(QPoint global);
    bool Drag(QMouseEvent* event);
    bool EndDrag(QMouseEvent* event);
    bool BackgroundPress(QMouseEvent* event);
    // Moves the window to the rectangle a placement chose and saves it as the settings' place.
    void PlaceAt(const layout::Rect& placed);

    QWidget& m_window;
    Platform& m_platform;
    Launcher& m_core;
    layout::WindowLayout& m_layout;
    Background m_background;
    // The work area of the last corner placement, which FollowWorkArea compares with.
    QRect m_cornerArea;
    // Set when the window system reported a move: Geometry() asks it where the window is.
    mutable bool m_originUnsure = false;
    // While a placement saves the settings: Geometry() is the rectangle just asked for, which
    // the window system may not report yet.
    bool m_placing = false;
    bool m_dragging = false;
    QPoint m_dragOffset;
    // A left press that began on the shrunken window is held; it moves the small window.
    bool m_shrunkPress = false;
    QPoint m_shrunkPressOrigin;
};

} // namespace tavolin
