#pragma once

#include "core/layout/Layout.h"
#include "core/path/PathStyle.h"
#include "core/settings/Settings.h"
#include "core/text/TextFile.h"

#include <optional>
#include <string>
#include <vector>

namespace tavolin {

class Platform;

namespace auxwindow {

// The three faces of the auxiliary window. The mode's name is also its settings section.
enum class Mode { Adr, Cal, Mem };
const char* SectionOf(Mode mode);

// --- the address bar ---------------------------------------------------------------------

// Whether a text begins with one of the six address prefixes (with case: not "WWW.").
bool IsInternetAddress(const std::string& text);
// The address handed to the desktop: "www." and "web." get "http://" in front.
std::string AddressToOpen(const std::string& text);

// What Enter in the address bar does with a text.
enum class AddressAction {
    None,        // empty, or names nothing that exists
    OpenAddress, // an internet address: the desktop's handler for its scheme
    ShowFolder,  // an existing folder: the file manager with the folder selected
    LaunchFile,  // an existing file: opened like a button
};
AddressAction ClassifyAddress(const std::string& text, const Platform& platform);

// The address history: at most 30 entries, newest first, none equal without regard to case.
class AddressHistory {
public:
    static constexpr std::size_t kMaxEntries = 30;

    AddressHistory() = default;
    // The entries as stored, newest first.
    explicit AddressHistory(std::vector<std::string> entries) : m_entries(std::move(entries)) {}

    // Puts the text on top (an entry equal without regard to case moves there, respelt).
    void Insert(const std::string& text);
    const std::vector<std::string>& Entries() const { return m_entries; }

private:
    std::vector<std::string> m_entries;
};

// --- size and place ----------------------------------------------------------------------

// The address bar is one panel high: its height is fixed.
inline constexpr int kAdrHeight = 24 + 8;
inline constexpr int kMemMinSize = 50;

// A mode's section as the window reads it when it opens.
struct ModeSettings {
    bool sectionExists = false;
    int height = 300;
    int width = 300;
    std::optional<int> top, left; // as stored; the cursor-based place stands in when missing
    int position = 1;             // 0 the last place, 1 at the cursor
    // The memo's look.
    bool hBar = false;
    bool vBar = false;
    std::string color = "$E1FFFF";
    std::string fontColor = "clBlack";
    // The address bar's history ([Address] 0 .. 29, empty ones left out) and last text.
    AddressHistory history;
    std::string addressTop;
};
// Reads the mode's settings from the settings file at `path`.
ModeSettings LoadModeSettings(const std::string& path, Mode mode);

struct Size {
    int width = 0;
    int height = 0;
};

// Where the window opens: the size of the last close (or the mode's first size; `fitted` is
// the calendar's own), at the cursor inside the work area, or at the last place (Position 0).
layout::Rect OpeningRect(Mode mode, const ModeSettings& s, int cursorX, int cursorY,
                         const layout::Rect& workArea, Size fitted);

// What the window keeps when it closes: its geometry and, for the address bar, [Address]
// replaced by the box's text (Top) and the history (0, 1, ...). False, with `error`, when the
// file could not be written.
bool SaveClosingSettings(Platform& platform, const std::string& path, Mode mode,
                         const layout::Rect& window, const AddressHistory& history,
                         const std::string& addressTop, std::string& error);

// --- the memo ----------------------------------------------------------------------------

// Whether a memo holds a character other than CR, LF and the half-width space.
bool MemoHoldsText(const std::string& text);

// "Memo.txt" beside the data and settings files.
std::string MemoPath(const DataFiles& files, PathStyle style);

// The memo file: its text and the encoding it is written back in.
class MemoFile {
public:
    // A memo found only at `oldPath` (beside the executable, where older copies kept it) is
    // copied to `path` and stays where it was; when the copy fails, `error` says why and it
    // is read where it is. Nothing at `oldPath` is ever written or removed.
    MemoFile(Platform& platform, std::string path, std::string oldPath, std::string& error);

    // The text, lines joined by "\n" (a missing file is empty).
    const std::string& Text() const { return m_text; }
    const std::string& Path() const { return m_path; }

    // Keeps a changed text in the encoding it was read in, or deletes the file when the text
    // is blank (left empty instead while the old memo would be copied in again). False, with
    // `error`, when that failed or a changed text meets a file that could not be read (it is
    // never written over nor deleted).
    bool Save(const std::string& text, std::string& error);

private:
    bool OldMemoWouldReturn() const;

    Platform& m_platform;
    std::string m_path;
    std::string m_oldPath;
    std::string m_text;
    text::Encoding m_encoding = text::Encoding::Cp932;
    std::string m_untouchable; // why the file there is never written, if it is not
};

// The question when the memo could not be kept: はい closes without it, いいえ stays.
std::string UnsavedMemoQuestion(const std::string& reason);

// Whether there is a memo, at either place (for the toolbar's memo picture).
bool MemoExists(const std::string& path, const std::string& oldPath);

} // namespace auxwindow
} // namespace tavolin
