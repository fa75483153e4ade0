#pragma once

#include <string>

namespace tavolin::linuxdesktop {

// The keys of a .desktop file's [Desktop Entry] group that the launcher uses.
struct DesktopEntry {
    std::string type; // "Application", "Link", "Directory", ... (empty when missing)
    std::string name; // Name, localized for the current language when the file has it
    std::string url;  // URL of a Type=Link entry
    std::string icon; // Icon: a theme icon's name or a picture's path (empty when missing or
                      // not readable: a picture never makes the entry unreadable)
};

// Reads a .desktop file (freedesktop Desktop Entry format: groups, key=value lines, escapes,
// localized keys such as Name[ja_JP] chosen by LANGUAGE, LC_ALL, LC_MESSAGES and LANG).
// Throws std::runtime_error with a message for the user, naming the file and what is wrong,
// when it cannot be read, is not valid, or has no [Desktop Entry] group.
DesktopEntry ReadDesktopEntry(const std::string& path);

// Why an application's entry cannot start its program, judged as GIO judges it when it
// loads the entry: a TryExec program that is not installed, an Exec line that cannot be
// split into words (an unbalanced quote), no Exec line, an Exec program that is not installed.
enum class ApplicationFault { None, TryExecMissing, BadCommand, NoCommand, ProgramMissing };
ApplicationFault FaultOfApplication(const std::string& path);

// The local file a URL stands for: a file:// URL percent-decoded, or an absolute path as it
// is; empty for anything else (http:, mailto:, relative texts).
std::string LocalPathOfUrl(const std::string& url);

} // namespace tavolin::linuxdesktop
