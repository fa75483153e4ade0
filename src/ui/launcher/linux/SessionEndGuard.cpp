#include "ui/launcher/SessionEndGuard.h"

#include "platform/linux/EndSignals.h"

#include <QSocketNotifier>

namespace tavolin {

void SessionEndGuard::WatchEndSignals() {
    // One window per process takes the signals.
    const int fd = linuxdesktop::CatchEndSignals();
    if (fd < 0)
        return;
    m_notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        linuxdesktop::DrainEndSignals();
        CloseAtEndSignal();
    });
}

void SessionEndGuard::StopWatchingEndSignals() {
    if (m_notifier != nullptr)
        linuxdesktop::ReleaseEndSignals();
}

} // namespace tavolin
