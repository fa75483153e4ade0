#pragma once

#include "ui/hotkey/HotKeyGrab.h"

#include <QAbstractNativeEventFilter>
#include <QKeyCombination>

namespace tavolin {

// A key grabbed from the windowing system whose presses arrive among Qt's native events: the
// X server's grab and Windows' RegisterHotKey. The checks of the key asked for and the watch
// over the native events are here; each system grabs one key and picks out its presses.
class NativeKeyGrab : public HotKeyGrab, public QAbstractNativeEventFilter {
public:
    explicit NativeKeyGrab(QObject* parent);
    ~NativeKeyGrab() override;

    State Grab(const QKeySequence& key) final;
    bool nativeEventFilter(const QByteArray& type, void* message, qintptr* result) final;

protected:
    // What a native event is to the grab.
    enum class Press {
        Other,  // not a press of the held key
        Taken,  // a press of the key, kept from the rest of Qt
        Passed, // a press of the key that Qt goes on to handle as well
    };

    // Grabs one key with its modifiers; nothing is held when this is called.
    virtual State GrabCombination(QKeyCombination key) = 0;
    // Lets go of the key held, if any. A grab's own destructor calls it.
    virtual void Release() = 0;
    virtual Press PressIn(const QByteArray& type, void* message) const = 0;
};

} // namespace tavolin
