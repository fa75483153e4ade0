#include "ui/look/OptIcons.h"

#include "ui/look/DesktopEntryIcon.h"

#include <QFile>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QMimeDatabase>
#include <QMimeType>
#include <QPainter>
#include <QString>
#include <QStringList>

#include <array>

// The compiled-in Tango theme lives in a static library, whose resources are only
// registered when asked for by name.
static void InitTangoResources() {
    Q_INIT_RESOURCE(tango);
}
static void InitAreaResources() {
    Q_INIT_RESOURCE(areas);
}

namespace tavolin {

namespace {

// The theme compiled into the program, for desktops without one of their own.
const QString kBuiltInTheme = QStringLiteral("TavolinTango");

// The standard icon name of each picture, looked up in the desktop's theme first; the
// built-in theme has every one of them. Empty for the window positions, which are drawn.
constexpr std::array<const char*, 32> kOptNames{{
    "application-exit",        // 0 quit
    "help-browser",            // 1 help: topic finder
    "help-about",              // 2 about box
    "go-bottom",               // 3 window to the bottom / on top
    "user-desktop",            // 4 minimise all windows
    "edit-undo",               // 5 undo minimise all
    "edit-clear",              // 6 clear recent documents
    "system-log-out",          // 7 restart the windowing system
    "system-reboot",           // 8 restart the computer
    "system-shutdown",         // 9 power off
    "preferences-system",      // 10 options dialog
    "go-jump",                 // 11 address bar
    "x-office-calendar",       // 12 calendar
    "accessories-text-editor", // 13 memo (a memo exists)
    "text-x-generic",          // 14 memo (no memo yet)
    "",                        // 15-19 window positions: drawn
    "",
    "",
    "",
    "",
    "help-contents",            // 20 help contents
    "folder-open",              // 21 open the target's folder
    "help-browser",             // 22 open help
    "edit-copy",                // 23 copy
    "edit-cut",                 // 24 cut
    "edit-paste",               // 25 paste
    "edit-delete",              // 26 delete; a target that is gone
    "mail-attachment",          // 27 attached files
    "text-x-generic",           // 28 read-me
    "application-x-executable", // 29 no icon from the shell
    "zoom-in",                  // 30 icon size
    "format-text-bold",         // 31 button titles
}};

QIcon ThemeIcon(const char* name) {
    return QIcon::fromTheme(QString::fromLatin1(name));
}

// A small screen with the window's place on it: a corner (1 to 4, clockwise from the top
// left) or the middle (5, anywhere).
QIcon PositionIcon(int winPos) {
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setPen(QColor(0x33, 0x33, 0x33));
    p.setBrush(QColor(0xdd, 0xe8, 0xf4));
    p.drawRect(1, 2, 13, 11);
    const QColor mark(0x20, 0x4a, 0x87);
    QRect r(0, 0, 6, 5);
    switch (winPos) {
    case 1:
        r.moveTopLeft({2, 3});
        break;
    case 2:
        r.moveTopLeft({8, 3});
        break;
    case 3:
        r.moveTopLeft({8, 8});
        break;
    case 4:
        r.moveTopLeft({2, 8});
        break;
    default:
        r.moveTopLeft({5, 5});
        break;
    }
    p.fillRect(r, mark);
    return QIcon(pm);
}

} // namespace

void InstallIconFallback() {
    InitTangoResources();
    QIcon::setThemeSearchPaths(QIcon::themeSearchPaths() << QStringLiteral(":/icons"));
    if (QIcon::themeName().isEmpty() || QIcon::themeName() == QLatin1String("hicolor")) {
        QIcon::setThemeName(kBuiltInTheme);
    }
    QIcon::setFallbackThemeName(kBuiltInTheme);
}

QIcon OptIcon(int index) {
    if (index < 0 || index >= static_cast<int>(kOptNames.size()))
        return {};
    if (index >= 15 && index <= 19)
        return PositionIcon(index - 14);
    return ThemeIcon(kOptNames[static_cast<std::size_t>(index)]);
}

QPixmap AreaPicture(int index) {
    // Drawn for this program (no icon theme has them), kept in the resources as PNG at their
    // own size and at twice it for high-density screens.
    static const bool registered = [] {
        InitAreaResources();
        return true;
    }();
    (void)registered;
    const bool dense = qApp->devicePixelRatio() > 1.0;
    QPixmap pm(dense ? QSize(72, 90) : QSize(36, 45));
    pm.setDevicePixelRatio(dense ? 2.0 : 1.0);
    pm.fill(Qt::white);
    if (index < 0 || index > 3)
        return pm;
    const QImage picture(QStringLiteral(":/areas/%1%2.png")
                             .arg(index)
                             .arg(dense ? QStringLiteral("@2x") : QString()));
    if (picture.isNull())
        return pm;
    QPainter p(&pm);
    p.drawImage(QPointF(0, 0), picture);
    return pm;
}

QIcon TargetIcon(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        return {};
    if (info.isFile() && path.endsWith(QLatin1String(".desktop"))) {
        const QString name = DesktopEntryIcon(path);
        if (!name.isEmpty()) {
            if (QFileInfo(name).isAbsolute()) {
                if (QFile::exists(name))
                    return QIcon(name);
            } else {
                const QIcon themed = QIcon::fromTheme(name);
                if (!themed.isNull())
                    return themed;
            }
        }
    }
#ifdef Q_OS_WIN
    // The shell's own icon for the file, an executable's included.
    static const QFileIconProvider provider;
    return provider.icon(info);
#else
    // The theme's icon for the file's type, as the desktop shows it, read at the size drawn
    // when first drawn.
    if (info.isDir())
        return QIcon::fromTheme(QStringLiteral("folder"));
    // A file's type from its extension, else from its first bytes (a program, a script, a
    // text). A name without an extension goes straight to its bytes: the name patterns it
    // would be tried against include regular expressions, whose first use loads a whole
    // expression compiler.
    static const QMimeDatabase types;
    QMimeType type;
    if (!info.suffix().isEmpty())
        type = types.mimeTypeForFile(info, QMimeDatabase::MatchExtension);
    if (!type.isValid() || type.isDefault())
        type = types.mimeTypeForFile(info, QMimeDatabase::MatchContent);
    // The built-in theme holds only the generic type icons: with it, the type's own name is
    // not asked for, as that would walk the whole hicolor tree to miss.
    QStringList names{type.genericIconName(), QStringLiteral("text-x-generic")};
    if (QIcon::themeName() != kBuiltInTheme)
        names.prepend(type.iconName());
    for (const QString& name : names) {
        QIcon icon = QIcon::fromTheme(name);
        if (!icon.isNull())
            return icon;
    }
    return {};
#endif
}

} // namespace tavolin
