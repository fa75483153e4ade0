#include "ui/look/DesktopEntryIcon.h"

namespace tavolin {

// Windows reads no desktop entries: a .desktop file there is a document like any other.
QString DesktopEntryIcon(const QString&) {
    return {};
}

} // namespace tavolin
