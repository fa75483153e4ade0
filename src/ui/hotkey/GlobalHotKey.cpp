#include "ui/hotkey/GlobalHotKey.h"

#include "core/options/Environment.h"

#include <QApplication>
#include <QWidget>

namespace tavolin {

GlobalHotKey::GlobalHotKey(QWidget* window) : GlobalHotKey(CreateHotKeyGrab(), window) {}

GlobalHotKey::GlobalHotKey(std::unique_ptr<HotKeyGrab> grab, QWidget* window)
    : QObject(window), m_window(window), m_grab(std::move(grab)) {
    m_grab->setParent(nullptr);
    connect(m_grab.get(), &HotKeyGrab::Activated, this, [this] {
        Pressed();
        emit Activated();
    });
    connect(m_grab.get(), &HotKeyGrab::Answered, this,
            [this](HotKeyGrab::State state) { Settle(state); });
}

HotKeyGrab::State GlobalHotKey::Apply(const QString& portableText) {
    using S = HotKeyGrab::State;
    const QString text = portableText.trimmed();
    // The same key, held or being asked for: nothing to do. A key that was taken or could
    // not be grabbed is tried again.
    if (text == m_text && (m_state == S::Held || m_state == S::Waiting || m_state == S::Off))
        return m_state;
    m_text = text;
    // A key without Ctrl, Alt or the logo key (a hand-edited file) is never grabbed: it would
    // take the key from every program, the launcher's own F-keys included.
    if (!options::UsableHotKey(text.toStdString())) {
        m_grab->Grab(QKeySequence());
        Settle(HotKeyGrab::State::Invalid);
        return m_state;
    }
    Settle(m_grab->Grab(QKeySequence::fromString(text, QKeySequence::PortableText)));
    return m_state;
}

void GlobalHotKey::Settle(HotKeyGrab::State state) {
    m_state = state;
    if (state == HotKeyGrab::State::Taken)
        emit Taken(m_text);
}

void GlobalHotKey::Pressed() {
    // Pressed again while the launcher is active: the focus goes back where it was.
    if (m_window->isActiveWindow() && m_grab->ActivateRememberedWindow())
        return;
    // A dialog of the launcher's own is what comes forward while it is open.
    if (QWidget* modal = QApplication::activeModalWidget()) {
        modal->raise();
        modal->activateWindow();
        return;
    }
    if (!m_window->isActiveWindow())
        m_grab->RememberActiveWindow();
    if (m_window->isMinimized())
        m_window->showNormal();
    else
        m_window->show();
    // The launcher window makes itself full-sized in every display mode when it becomes
    // active, so that the next function key launches.
    m_window->raise();
    m_window->activateWindow();
}

QString GlobalHotKey::TakenMessage(const QString& portableText) {
    const QString shown = QKeySequence::fromString(portableText, QKeySequence::PortableText)
                              .toString(QKeySequence::NativeText);
    return QStringLiteral("ホットキー「%1」は他のプログラムが使っているため登録できません。\n"
                          "オプション設定の「表示２」で別のキーを選んで下さい。")
        .arg(shown.isEmpty() ? portableText : shown);
}

} // namespace tavolin
