#include "ui/look/DesktopEntryIcon.h"

#include "platform/linux/DesktopEntry.h"

#include <QFile>

#include <stdexcept>

namespace tavolin {

QString DesktopEntryIcon(const QString& path) {
    try {
        const std::string file = QFile::encodeName(path).toStdString();
        return QString::fromStdString(linuxdesktop::ReadDesktopEntry(file).icon);
    } catch (const std::runtime_error&) {
        return {}; // not a readable entry: the file's own picture stands
    }
}

} // namespace tavolin
