#pragma once

#include "core/Platform.h"
#include "core/path/PathStyle.h"

#include <string>
#include <vector>

namespace tavolin {

class View;

namespace commands {

// The question and failure text of a session-end command, as this system words it.
struct EndCommandTexts {
    std::string question;
    std::string failure;
};
EndCommandTexts EndTexts(SessionEnd how, PathStyle style);

// What a session-end command needs of the launcher window.
class SessionWindow {
public:
    virtual ~SessionWindow() = default;
    // Writes what closing writes: the session may end the program without closing it.
    virtual void SaveForSessionEnd() = 0;
    // Hides and disables the window while the session ends, and brings it back.
    virtual void HideForSessionEnd() = 0;
    virtual void ShowAfterSessionEnd() = 0;
};

enum class EndOutcome {
    Cancelled, // the user said no: nothing happened
    Requested, // the desktop took the request; the window stays hidden while it goes down
    Failed,    // the request failed: the window is back and the failure was shown
};

// Asks (warning, OK and Cancel), saves, hides the window and makes the request; a refused
// request brings the window back and shows the failure text as an error.
EndOutcome RunEndCommand(Platform& platform, View& view, SessionWindow& window, SessionEnd how);

// Clears the desktop's recent-documents list (asking first with `ask`); true when cleared.
bool ClearRecentList(Platform& platform, View& view, bool ask);

// One entry of the recent-documents menu, listed also when it no longer exists.
struct RecentMenuEntry {
    std::string path;
    bool exists = false;
};
// The entries, newest first; with `showTargets` a link shows the document it points to.
std::vector<RecentMenuEntry> RecentMenuEntries(const Platform& platform, bool showTargets);

} // namespace commands
} // namespace tavolin
