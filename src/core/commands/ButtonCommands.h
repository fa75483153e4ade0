#pragma once

#include <optional>
#include <string>

namespace tavolin {

class Launcher;
class LauncherWindow;
class Platform;
class View;

namespace commands {

// The button menu's commands on the page's buttons; every change is saved at once.
class ButtonCommands {
public:
    ButtonCommands(Launcher& launcher, Platform& platform, View& view, LauncherWindow& window)
        : m_launcher(launcher), m_platform(platform), m_view(view), m_window(window) {}

    // The clipboard takes slot n's button value (copy), and the slot is emptied (cut).
    void Copy(int n);
    void Cut(int n);
    // Slot n takes the clipboard's button, if any.
    void Paste(int n);
    // Empties slot n without asking.
    void Delete(int n);
    // Asks, then empties all 24 slots and saves the empty page. True when it was done.
    bool ResetPage();
    // The title the input box offered for slot n.
    std::string TitleOf(int n) const;
    // Renames slot n to the input (nothing for Cancel, the file name for ""); true when the
    // title changed.
    bool Rename(int n, const std::optional<std::string>& input);
    // Shows the target's folder with the target selected (if it is still there).
    void OpenFolder(int n);
    // Before browsing to replace slot n: the browse dialog starts at its target.
    void PrepareBrowse(int n);
    // Opens the help file and the read-me beside slot n's program.
    void OpenHelp(int n);
    void OpenReadme(int n);

private:
    std::string Target(int n) const;

    Launcher& m_launcher;
    Platform& m_platform;
    View& m_view;
    LauncherWindow& m_window;
};

// The reset question for a category and page.
std::string ResetQuestion(const std::string& category, const std::string& page);

} // namespace commands
} // namespace tavolin
