#pragma once

#include <QKeySequence>
#include <QObject>

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

} // namespace tavolin
