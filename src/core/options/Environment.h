#pragma once

#include "core/helpers/Convert.h"
#include "core/layout/Layout.h"
#include "core/settings/Settings.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tavolin {
class FileReplacement;
class Platform;
class View;
} // namespace tavolin

// The options dialog's environment pages: the values behind their controls, the dialog's own
// defaults, the live dependencies between controls, the checks at OK and the keys written.
namespace tavolin::options {

using layout::DisplayMode;

// The notification methods of the resource watch, in cmbWatch's item order.
enum WatchType { kWatchMessage = 0, kWatchTitle = 1, kWatchDate = 2, kWatchResource = 3 };

// A digits-only box with an up-down of 0 to 100: the text typed, and the last position the
// up-down could take from it.
struct NumberBox {
    std::string text;
    int position = 0;

    void SetText(std::string value);
    static NumberBox Of(int value);
};

// The values of the pages: the [Window] keys, the number boxes, and [Mem], [Adr] and [Cal].
struct Environment : WindowSettings {
    // Their positions are what OK writes as ResWatchLow, ResWatchHigh, DelFlash and GomFlash.
    NumberBox WatchLowBox, WatchHighBox, DelFlashBox, GomFlashBox;
    // 補助 Window
    bool MemoVBar = false, MemoHBar = false;
    Colour MemoColor, MemoFontColor;
    int MemoPosition = 1, AdrPosition = 1, CalPosition = 1;

    Environment();

    // The number box that shows an integer key, or nullptr.
    NumberBox* BoxOf(int WindowSettings::*field);

    // The chosen display mode (normal when the flags choose none).
    DisplayMode Mode() const;
    // rbModeClick: one mode chosen; the minimum mode unchecks the title, the others leave it.
    void ChooseMode(DisplayMode mode);
};

// Reads every key the pages show, with the dialog's defaults (an unreadable file gives them;
// its fault shows at OK). `winPos` is the launcher's; `dateFontName` the clock's font.
Environment LoadEnvironment(const std::string& path, int winPos, std::string_view dateFontName);

// Whether a hot key ("Ctrl+Alt+Space") holds Ctrl, Alt or Meta; no key at all is fine.
bool UsableHotKey(const std::string& key);

// The checks at OK: a hot key needs Ctrl, Alt or the logo key (a bare key grabbed for the
// whole desktop would be taken from every program); the watch's thresholds while it is on.
// False, after telling the user, with `focus` naming the control.
bool CheckEnvironment(const Environment& env, View& view, std::string& focus);

// OK's write of the settings file at `path`: the pages' keys of [Window], [Mem], [Adr] and
// [Cal], every other line kept, in an uncommitted replacement (so that OK can put the settings
// and the data file in place together). On failure: nothing, the file as it was, and `error`
// holding the message for the user.
std::unique_ptr<FileReplacement> BeginSaveEnvironment(Platform& platform, const std::string& path,
                                                      const Environment& env, std::string& error);
// The message for a settings file that could not be written.
std::string SettingsWriteFailure(const std::string& path, const std::string& why);

// The update interval caption for a track bar position: "更新の間隔 (1000/ミリ秒 = 1秒) (&T)".
std::string IntervalCaption(int position);

// --- the two date colour lists ---------------------------------------------------------------
struct ColourItem {
    std::string text;
    Colour colour;
    bool other = false; // "その他 ...": opens the colour dialog
};

// The 18 table entries (Japanese text and colour) in list order.
const std::vector<ColourItem>& ColourTable();

// "$" and six hexadecimal digits, blue-green-red: the list text of a colour outside the table.
std::string CustomColourText(const Colour& colour);

// The table, an item for a colour it lacks, and "その他 ..."; `selected`: the colour's item.
std::vector<ColourItem> ColourList(const Colour& colour, int& selected);

// The item of a colour in a list (the colour-dialog item excluded), or -1.
int FindColour(const std::vector<ColourItem>& list, const Colour& colour);

// A colour chosen in the colour dialog: a new item just before "その他 ...", returned.
int AddCustomColour(std::vector<ColourItem>& list, const Colour& colour);

} // namespace tavolin::options
