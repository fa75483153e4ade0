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

// The bounds and flash counts live in a digits-only box with an up-down of 0 to 100: the box
// holds the text the user typed, the up-down the last position it could take from it.
struct NumberBox {
    std::string text;
    int position = 0;

    // The box's new text; the up-down follows when the text is an integer (kept within 0 to
    // 100), else keeps its position.
    void SetText(std::string value);
    static NumberBox Of(int value);
};

// The values of the pages: the [Window] keys that have a page (the others stay unused here),
// the number boxes, and the auxiliary window's keys of [Mem], [Adr] and [Cal].
struct Environment : WindowSettings {
    // The number boxes of 情報枠 and 削除/ごみ箱 エリア. Their up-down positions are what
    // OK writes as ResWatchLow, ResWatchHigh, DelFlash and GomFlash.
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

// Reads every key the pages show from the settings file at `path`, with the dialog's
// defaults (normal mode when no mode key says otherwise). `winPos` is the launcher's current
// window position; `dateFontName` the clock's font, the default of DateFontName. A file
// that cannot be read gives the defaults; its fault shows when OK writes it.
Environment LoadEnvironment(const std::string& path, int winPos, std::string_view dateFontName);

// Whether a hot key in QKeySequence's portable text ("Ctrl+Alt+Space") holds Ctrl, Alt or
// Meta (the logo key); no key at all is fine.
bool UsableHotKey(const std::string& key);

// The checks at OK: a hot key needs Ctrl, Alt or the logo key (a bare letter or function key
// grabbed for the whole desktop would take that key from every program, the launcher's own
// F-keys included); the watch's thresholds, only while the watch is on. True when OK may go
// on; otherwise the user was told (or chose to go back) and `focus` names the control.
bool CheckEnvironment(const Environment& env, View& view, std::string& focus);

// OK's write of the settings file at `path`: the pages' keys of [Window], [Mem], [Adr] and
// [Cal], every other line kept. BeginSaveEnvironment hands the whole new file back in an
// uncommitted replacement (so that OK can put the settings and the data file in place
// together); SaveEnvironment commits at once. On failure: nothing (or false), the file as it
// was, and `error` holding the message for the user.
std::unique_ptr<FileReplacement> BeginSaveEnvironment(Platform& platform, const std::string& path,
                                                      const Environment& env, std::string& error);
bool SaveEnvironment(Platform& platform, const std::string& path, const Environment& env,
                     std::string& error);
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

// A full list for a colour: the table, an item for the colour when the table has none, and
// "その他 ...". `selected` receives the item of the colour.
std::vector<ColourItem> ColourList(const Colour& colour, int& selected);

// The item of a colour in a list (the colour-dialog item excluded), or -1.
int FindColour(const std::vector<ColourItem>& list, const Colour& colour);

// A colour chosen in the colour dialog: a new item just before "その他 ...", returned.
int AddCustomColour(std::vector<ColourItem>& list, const Colour& colour);

} // namespace tavolin::options
