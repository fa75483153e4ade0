#pragma once

#include "ui/hotkey/HotKeyGrab.h"

#include <QObject>
#include <QString>

#include <memory>

class QWidget;

namespace tavolin {

// The launcher's hot key: the setting's text grabbed when it changes, the window brought
// forward when the key is pressed (or the focus given back when it is pressed again while the
// window is active), and Taken when another program holds the key.
class GlobalHotKey : public QObject {
    Q_OBJECT
public:
    explicit GlobalHotKey(QWidget* window);
    GlobalHotKey(std::unique_ptr<HotKeyGrab> grab, QWidget* window);

    // Grabs the key of the setting (QKeySequence's portable text) unless it is held already;
    // returns the state after the attempt.
    HotKeyGrab::State Apply(const QString& portableText);
    HotKeyGrab::State State() const { return m_state; }

    // The warning naming a key another program holds, and what to do about it.
    static QString TakenMessage(const QString& portableText);

signals:
    void Activated();
    // A key another program holds (also when the portal answers later).
    void Taken(const QString& portableText);

private:
    void Settle(HotKeyGrab::State state);
    void Pressed();

    QWidget* m_window;
    std::unique_ptr<HotKeyGrab> m_grab;
    QString m_text;
    HotKeyGrab::State m_state = HotKeyGrab::State::Off;
};

} // namespace tavolin
