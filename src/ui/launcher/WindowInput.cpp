#include "ui/launcher/WindowInput.h"

#include "core/launcher/Launcher.h"
#include "ui/launcher/ActivationTracker.h"
#include "ui/launcher/ButtonBar.h"
#include "ui/launcher/PageBar.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>
#include <QWidget>

#include <utility>

namespace tavolin {

WindowInput::WindowInput(QWidget& window, Launcher& core, ActivationTracker& activation,
                         PageBar& pageBar, ButtonBar& buttons, Controls controls, Hooks hooks)
    : QObject(&window), m_window(window), m_core(core), m_activation(activation),
      m_pageBar(pageBar), m_buttons(buttons), m_controls(controls), m_hooks(std::move(hooks)) {}

bool WindowInput::eventFilter(QObject* watched, QEvent* event) {
    if (!watched->isWidgetType())
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    if (widget->window() != &m_window)
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        if (widget != m_controls.imgDel && widget != m_controls.imgGom &&
            m_activation.ShrunkenMouse(static_cast<QMouseEvent*>(event)))
            return true;
        return FrmMouseDown(widget, static_cast<QMouseEvent*>(event));
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease:
        return m_activation.ShrunkenMouse(static_cast<QMouseEvent*>(event));
    case QEvent::ShortcutOverride:
        return m_pageBar.PassLetterOn(widget, event);
    case QEvent::KeyRelease:
        return FrmKeyUp(static_cast<QKeyEvent*>(event));
    case QEvent::KeyPress:
        return FrmKeyDown(static_cast<QKeyEvent*>(event));
    case QEvent::ToolTip: {
        const WindowSettings& s = m_core.Settings();
        if (!s.Hint)
            return true;
        return s.HintBtn && m_buttons.SlotOf(widget) == 0;
    }
    default:
        return false;
    }
}

bool WindowInput::FrmKeyUp(QKeyEvent* event) {
    if (event->isAutoRepeat())
        return false;
    if (m_pageBar.KeyUp(event->key()))
        return true;
    if (event->key() != Qt::Key_Backspace)
        return false;
    // Alt as it was when the key went down: it may be let go first, and some systems report
    // the release without it.
    const bool alt = m_backspaceWithAlt;
    m_backspaceWithAlt = false;
    if (!alt)
        return false;
    m_core.CycleDisplayMode();
    m_hooks.changed();
    return true;
}

bool WindowInput::FrmKeyDown(QKeyEvent* event) {
    if (event->key() == Qt::Key_Backspace && !event->isAutoRepeat())
        m_backspaceWithAlt = (event->modifiers() & Qt::AltModifier) != 0;
    // The context-menu key opens the window's menu, wherever the focus is.
    if (event->key() != Qt::Key_Menu)
        return false;
    const QPoint beside(m_controls.lblTitle->width() + 8, m_window.height() / 2);
    m_hooks.popupMenu(0, m_window.mapToGlobal(beside));
    return true;
}

bool WindowInput::FrmMouseDown(QWidget* widget, QMouseEvent* event) {
    if (event->button() != Qt::RightButton)
        return false;
    // A launch button opens the menu for itself (TBNMouseDown); the window's background, the
    // title strip, the information panel and the option toolbar open it for no button.
    if (const int slot = m_buttons.SlotOf(widget); slot != 0) {
        m_hooks.popupMenu(slot, event->globalPosition().toPoint());
        return true;
    }
    const QWidget* tlbOpt = m_controls.tlbOpt;
    const bool windowPart = widget == &m_window || widget == &m_buttons || widget == tlbOpt ||
                            widget->parentWidget() == tlbOpt || qobject_cast<QLabel*>(widget) ||
                            qobject_cast<QProgressBar*>(widget) || qobject_cast<QFrame*>(widget);
    if (!windowPart || widget == m_controls.imgDel || widget == m_controls.imgGom)
        return false;
    m_hooks.popupMenu(0, event->globalPosition().toPoint());
    return true;
}

} // namespace tavolin
