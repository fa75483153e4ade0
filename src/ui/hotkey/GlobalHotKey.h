#pragma once

#include <QKeySequence>
#include <QObject>
#include <QString>

class QWidget;

#include <memory>

namespace tavolin {

// One key the system gives to the launcher wherever the user is: an X server grab on the
// root window, RegisterHotKey on Windows, or the desktop's GlobalShortcuts portal on Wayland.
// Each system's source file (chosen by CMake) provides the way it has.
class HotKeyGrab : public QObject {
    Q_OBJECT
public:
    enum class State {
        Off,         // no key
        Held,        // the key is ours
        Taken,       // another program holds it
        Unsupported, // nothing in this session can grab a key
        Invalid,     // not one key with modifiers this system can name
        Waiting,     // asked; the answer comes through Answered
    };

    using QObject::QObject;
    ~HotKeyGrab() override = default;

    // Lets go of the key held now and grabs `key` instead (an empty key: none).
    virtual State Grab(const QKeySequence& key) = 0;

    // The window that was active before the key brought the launcher forward, for giving the
    // focus back; false where the system cannot tell or hand it over.
    virtual void RememberActiveWindow() {}
    virtual bool ActivateRememberedWindow() { return false; }

signals:
    void Activated();
    // The final state of a grab that returned Waiting.
    void Answered(HotKeyGrab::State state);
};

// The grab this session offers (one that answers Unsupported when there is none).
std::unique_ptr<HotKeyGrab> CreateHotKeyGrab(QObject* parent = nullptr);

// Whether this session can grab a key at all: the options dialog says so when it cannot.
bool HotKeysSupported();

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
