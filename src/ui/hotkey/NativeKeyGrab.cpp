#include "ui/hotkey/NativeKeyGrab.h"

#include <QCoreApplication>

namespace tavolin {

NativeKeyGrab::NativeKeyGrab(QObject* parent) : HotKeyGrab(parent) {
    QCoreApplication::instance()->installNativeEventFilter(this);
}

NativeKeyGrab::~NativeKeyGrab() {
    QCoreApplication::instance()->removeNativeEventFilter(this);
}

HotKeyGrab::State NativeKeyGrab::Grab(const QKeySequence& key) {
    Release();
    if (key.isEmpty())
        return State::Off;
    if (key.count() != 1)
        return State::Invalid;
    return GrabCombination(key[0]);
}

bool NativeKeyGrab::nativeEventFilter(const QByteArray& type, void* message, qintptr*) {
    const Press press = PressIn(type, message);
    if (press == Press::Other)
        return false;
    QMetaObject::invokeMethod(this, &HotKeyGrab::Activated, Qt::QueuedConnection);
    return press == Press::Taken;
}

} // namespace tavolin
