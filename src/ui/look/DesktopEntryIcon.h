#pragma once

#include <QString>

namespace tavolin {

// The icon a desktop entry (a .desktop file) names with Icon=: a theme icon's name or a
// picture's path; empty when it names none or cannot be read. Desktop entries are the
// shortcuts of the freedesktop desktops; Windows shortcuts have no such key and always
// give an empty name, their pictures coming from the shell.
QString DesktopEntryIcon(const QString& path);

} // namespace tavolin
