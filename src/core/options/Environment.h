#pragma once

#include "core/helpers/Convert.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace tavolin {
class ProfileFile;
class View;
} // namespace tavolin

// The options dialog's environment pages: the values behind their controls, the dialog's own
// defaults, the live dependencies between controls, the checks at OK and the keys written.
namespace tavolin::options {

enum class DisplayMode { Nomal, Small, Title, Time, TaR };

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

struct Environment {
    // 情報枠
    bool ShowRes = true, ShowMem = true, ShowDate = true;
    std::string DateFontName;
    bool DateBold = true, DateItalic = true;
    Colour DateFont, DateBack;
    int ShowTime = 6; // track bar position 1 to 20
    bool ResWatch = true;
    NumberBox WatchLow = NumberBox::Of(20), WatchHigh = NumberBox::Of(30);
    int ResWatchType = kWatchDate;
    // 表示１
    DisplayMode Mode = DisplayMode::Nomal;
    int WinPos = 5;
    bool BtnSize = false, BtnCaption = false;
    int BtnCaptionL = 10;
    // 表示２
    bool ShowTitle = true, AutoFore = true, Hint = true, HintBtn = false, TaskBar = false,
         TaskBarLast = true, ShowOpt = true, RecentMsg = true, TaRRight = false;
    // 削除/ごみ箱 エリア
    NumberBox DelFlash = NumberBox::Of(5), GomFlash = NumberBox::Of(3);
    bool DelMsg = false, GomMsg = false;
    // 補助 Window
    bool MemoVBar = false, MemoHBar = false;
    Colour MemoColor, MemoFontColor;
    int MemoPosition = 1, AdrPosition = 1, CalPosition = 1;

    Environment();

    // Enabling that follows other controls.
    bool ShowTitleEnabled() const { return Mode != DisplayMode::Small; }
    bool HintBtnEnabled() const { return Hint; }
    bool TaskLastEnabled() const { return TaskBar; }
    bool WatchControlsEnabled() const { return ResWatch; }

    // rbModeClick: the minimum mode unchecks the title; other modes leave it as it is.
    void ChooseMode(DisplayMode mode);
};

// Reads every key the pages show, with the dialog's defaults (normal mode when no mode key
// says otherwise). `winPos` is the launcher's current window position; `dateFontName` the
// clock's font, the default of DateFontName.
Environment LoadEnvironment(const ProfileFile& file, int winPos, std::string_view dateFontName);

// The checks at OK, made only while the watch is on. True when OK may go on; otherwise the
// user was told (or chose to go back) and `focus` names the control of "情報枠" to focus.
bool CheckEnvironment(const Environment& env, View& view, std::string& focus);

// Writes the pages' keys of [Window], [Mem], [Adr] and [Cal] in the dialog's order. The caller
// saves the file once.
void WriteEnvironment(const Environment& env, ProfileFile& file);

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
