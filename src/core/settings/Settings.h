#pragma once

#include "core/helpers/Convert.h"
#include "core/path/PathStyle.h"

#include <array>
#include <climits>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace tavolin {

class Platform;
class ProfileFile;

inline constexpr std::string_view kWindowSection = "Window";
// The font the windows are drawn in where it is installed (a Japanese one stands in elsewhere).
inline constexpr std::string_view kWindowFontName = "ＭＳ Ｐゴシック";
// The clock's font before the user chose one.
inline constexpr std::string_view kDefaultDateFontName = kWindowFontName;
// The range of BtnCaptionL, the longest caption in code page 932 bytes.
inline constexpr int kMinCaptionLength = 4;
inline constexpr int kMaxCaptionLength = 99;

// The values of the settings file's [Window] section; constructed with kWindowSettingKeys'
// defaults.
struct WindowSettings {
    WindowSettings();

    int Height, Width, Top, Left;
    int WinPos; // 1 top-left .. 4 bottom-left, 5 free
    bool ShowRes, ShowMem, ShowDate;
    bool ResWatch;
    int ResWatchType, ResWatchLow, ResWatchHigh;
    int ShowTime; // position 1 to 20 of the interval table
    bool ShowOpt, ShowTitle, RecentMsg, Hint, HintBtn, TaskBar, TaskBarLast;
    int DelFlash, GomFlash;
    bool DelMsg, GomMsg, AutoFore;
    std::string DateFormat;
    Colour DateFont, DateBack;
    std::string DateFontName;
    bool DateBold, DateItalic;
    // The display mode: exactly one is 1, unless a hand-edited file holds several.
    bool NomalMode, SmallMode, TitleMode, TimeMode, TaRMode;
    bool FrmStyle;   // always on top
    bool BtnSize;    // big icons
    bool BtnCaption; // captions under the icons
    int BtnCaptionL; // longest caption in bytes, kMinCaptionLength to kMaxCaptionLength
    bool RecentLNK;
    bool TaRRight;
    // The system-wide key that brings the window forward ("Ctrl+Alt+Space"), or empty.
    std::string HotKey;

    // The sampling interval of the information panel in milliseconds (from ShowTime).
    int SamplingInterval() const;

    friend bool operator==(const WindowSettings&, const WindowSettings&) = default;
};

// The tab of the options dialog that shows a key, or kNoPage.
enum SettingPage { kNoPage = -1, kInfoPage = 1, kDisplay1Page, kDisplay2Page, kAreasPage };

// One key of [Window]: its name, its field, its default as the file spells it, its 1-based
// place among the launcher's own writes (0: none), its dialog page, and an integer's range.
struct WindowSettingKey {
    using Field = std::variant<int WindowSettings::*, bool WindowSettings::*,
                               std::string WindowSettings::*, Colour WindowSettings::*>;
    std::string_view key;
    Field field;
    std::string_view defaultText;
    int saveOrder;
    SettingPage page;
    int minimum = INT_MIN;
    int maximum = INT_MAX;
};

// Every key of [Window], in the order the options dialog writes them.
// clang-format off
inline const std::array<WindowSettingKey, 43> kWindowSettingKeys{{
    //  key            field                          default             save  page  range
    {"Height",      &WindowSettings::Height,       "115",                 1, kNoPage},
    {"Width",       &WindowSettings::Width,        "377",                 2, kNoPage},
    {"Top",         &WindowSettings::Top,          "-1",                  3, kNoPage},
    {"Left",        &WindowSettings::Left,         "-1",                  4, kNoPage},
    {"DateFormat",  &WindowSettings::DateFormat,   "yyyy/m/d(aaa) hh:nn", 17, kNoPage},
    {"FrmStyle",    &WindowSettings::FrmStyle,     "1",                  16, kNoPage},
    {"RecentLNK",   &WindowSettings::RecentLNK,    "1",                  18, kNoPage},
    {"ShowRes",     &WindowSettings::ShowRes,      "1",                   6, kInfoPage},
    {"ShowMem",     &WindowSettings::ShowMem,      "1",                   7, kInfoPage},
    {"ShowDate",    &WindowSettings::ShowDate,     "1",                   8, kInfoPage},
    {"ShowTime",    &WindowSettings::ShowTime,     "6",                   0, kInfoPage, 1, 20},
    {"ResWatch",    &WindowSettings::ResWatch,     "1",                   0, kInfoPage},
    {"ResWatchType", &WindowSettings::ResWatchType, "2",                   0, kInfoPage},
    {"ResWatchLow", &WindowSettings::ResWatchLow,  "20",                  0, kInfoPage},
    {"ResWatchHigh", &WindowSettings::ResWatchHigh, "30",                  0, kInfoPage},
    {"ShowOpt",     &WindowSettings::ShowOpt,      "1",                   9, kDisplay2Page},
    {"ShowTitle",   &WindowSettings::ShowTitle,    "1",                  10, kDisplay2Page},
    {"RecentMsg",   &WindowSettings::RecentMsg,    "1",                   0, kDisplay2Page},
    {"Hint",        &WindowSettings::Hint,         "1",                   0, kDisplay2Page},
    {"HintBtn",     &WindowSettings::HintBtn,      "0",                   0, kDisplay2Page},
    {"TaskBar",     &WindowSettings::TaskBar,      "0",                   0, kDisplay2Page},
    {"TaskBarLast", &WindowSettings::TaskBarLast,  "1",                   0, kDisplay2Page},
    {"DelFlash",    &WindowSettings::DelFlash,     "5",                   0, kAreasPage},
    {"GomFlash",    &WindowSettings::GomFlash,     "3",                   0, kAreasPage},
    {"DelMsg",      &WindowSettings::DelMsg,       "0",                   0, kAreasPage},
    {"GomMsg",      &WindowSettings::GomMsg,       "0",                   0, kAreasPage},
    {"AutoFore",    &WindowSettings::AutoFore,     "1",                   0, kDisplay2Page},
    {"DateFont",    &WindowSettings::DateFont,     "clLime",              0, kInfoPage},
    {"DateBack",    &WindowSettings::DateBack,     "clBlack",             0, kInfoPage},
    {"DateFontName", &WindowSettings::DateFontName, kDefaultDateFontName,  0, kInfoPage},
    {"DateBold",    &WindowSettings::DateBold,     "1",                   0, kInfoPage},
    {"DateItalic",  &WindowSettings::DateItalic,   "1",                   0, kInfoPage},
    {"NomalMode",   &WindowSettings::NomalMode,    "0",                  11, kDisplay1Page},
    {"SmallMode",   &WindowSettings::SmallMode,    "0",                  12, kDisplay1Page},
    {"TitleMode",   &WindowSettings::TitleMode,    "0",                  13, kDisplay1Page},
    {"TimeMode",    &WindowSettings::TimeMode,     "0",                  14, kDisplay1Page},
    {"TaRMode",     &WindowSettings::TaRMode,      "1",                  15, kDisplay1Page},
    {"WinPos",      &WindowSettings::WinPos,       "5",                   5, kDisplay1Page},
    {"BtnSize",     &WindowSettings::BtnSize,      "0",                  19, kDisplay1Page},
    {"BtnCaption",  &WindowSettings::BtnCaption,   "0",                  20, kDisplay1Page},
    {"BtnCaptionL", &WindowSettings::BtnCaptionL,  "10",                  0, kDisplay1Page, kMinCaptionLength, kMaxCaptionLength},
    {"TaRRight",    &WindowSettings::TaRRight,     "0",                   0, kDisplay2Page},
    {"HotKey",      &WindowSettings::HotKey,       "",                    0, kDisplay2Page},
}};
// clang-format on

// The five display-mode flags, in the order of layout::DisplayMode.
inline constexpr std::array<bool WindowSettings::*, 5> kModeFlags{
    &WindowSettings::NomalMode, &WindowSettings::SmallMode, &WindowSettings::TitleMode,
    &WindowSettings::TimeMode, &WindowSettings::TaRMode};

// The row of a field.
const WindowSettingKey& KeyOf(WindowSettingKey::Field field);

// ShowTime's positions 1 to 20 in milliseconds; outside them, position 6's.
inline constexpr std::array<int, 20> kIntervalTable{
    100,   200,   300,   500,   750,    1000,   1500,   2000,   3000,    5000,
    10000, 20000, 30000, 60000, 120000, 180000, 300000, 600000, 1200000, 1800000};
int SamplingIntervalOf(int showTime);

// Who reads or writes the keys: the launcher window, or the options dialog.
enum class SettingsRole { Launcher, OptionsDialog };

// Reads every key of [Window]; a missing or invalid value, or an integer outside its range,
// reads as the default. `dateFontName` is the default of DateFontName.
WindowSettings LoadSettings(const ProfileFile& file,
                            std::string_view dateFontName = kDefaultDateFontName,
                            SettingsRole role = SettingsRole::Launcher);

// Writes the keys the launcher changes itself (saveOrder > 0) in that order, or the dialog's.
void SaveSettings(const WindowSettings& settings, ProfileFile& file,
                  SettingsRole role = SettingsRole::Launcher);

// Loads the settings file, writes SaveSettings' keys and saves it; false, with `error`.
bool SaveSettingsFile(Platform& platform, const std::string& path, const WindowSettings& settings,
                      std::string& error);

// The files beside the executable: its path with ".txt" (button data), ".ini" (settings),
// ".tmp" and ".tmp2" (replacing a Windows extension); in `writableFallbackDir` when given.
struct DataFiles {
    std::string txt, ini, tmp, tmp2;
};
DataFiles DataFilePaths(const std::string& executablePath, const std::string& writableFallbackDir,
                        PathStyle style);

// When the executable's folder cannot be written: copies the data and settings files and
// "Memo.txt" beside it into the fallback folder where it has none yet, so the user's buttons
// and memo are not hidden.
// Returns the files copied; `error` says why one could not be.
std::vector<std::string> AdoptFilesBesideExecutable(Platform& platform, const DataFiles& beside,
                                                    const DataFiles& fallback, std::string& error);

} // namespace tavolin
