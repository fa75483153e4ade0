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
// The clock's font before the user chose one.
inline constexpr std::string_view kDefaultDateFontName = "ＭＳ Ｐゴシック";

// The values of the settings file's [Window] section. A default-constructed object holds
// the defaults of kWindowSettingKeys (the table below is their only source).
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
    // The display mode: the program writes exactly one of them as 1; a hand-edited file may
    // hold several and they are kept as read.
    bool NomalMode, SmallMode, TitleMode, TimeMode, TaRMode;
    bool FrmStyle;   // always on top
    bool BtnSize;    // big icons
    bool BtnCaption; // captions under the icons
    int BtnCaptionL; // longest caption in bytes, 4 to 99
    bool RecentLNK;
    bool TaRRight;

    // The sampling interval of the information panel in milliseconds (from ShowTime).
    int SamplingInterval() const;

    friend bool operator==(const WindowSettings&, const WindowSettings&) = default;
};

// The tab of the options dialog that shows a key (its index among the dialog's tabs), or
// None for the keys only the launcher window writes.
enum class SettingPage { None = -1, Info = 1, Display1 = 2, Display2 = 3, Areas = 4 };

// What LoadSettings does with an integer outside its key's range: it reads the default, or
// keeps the value as written. The options dialog brings every value into the range.
enum class OutOfRange { Default, Kept };

// One key of [Window]: its name, the field it fills (whose type is the key's type), its
// default as the file would spell it, who writes it (SaveSettings at its position
// `saveOrder`, 1-based, 0 when SaveSettings does not write it; the options dialog at OK when
// it has a page), and the range of an integer.
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
    OutOfRange outside = OutOfRange::Default;
};

enum class SettingType { Integer, Boolean, Text, Colour };
SettingType TypeOf(const WindowSettingKey& key);

// Every key of [Window], in the order the options dialog writes its keys (a key the file
// lacks is added after the section's last key, so the order shows in a new file).
// clang-format off
inline const std::array<WindowSettingKey, 42> kWindowSettingKeys = [] {
    using enum SettingPage;
    using enum OutOfRange;
    using W = WindowSettings;
    return std::array<WindowSettingKey, 42>{{
    //  key             field             default                 save  page, range
    {"Height",       &W::Height,       "115",                    1, None},
    {"Width",        &W::Width,        "377",                    2, None},
    {"Top",          &W::Top,          "-1",                     3, None},
    {"Left",         &W::Left,         "-1",                     4, None},
    {"DateFormat",   &W::DateFormat,   "yyyy/m/d(aaa) hh:nn",   17, None},
    {"FrmStyle",     &W::FrmStyle,     "1",                     16, None},
    {"RecentLNK",    &W::RecentLNK,    "1",                     18, None},
    {"ShowRes",      &W::ShowRes,      "1",                      6, Info},
    {"ShowMem",      &W::ShowMem,      "1",                      7, Info},
    {"ShowDate",     &W::ShowDate,     "1",                      8, Info},
    {"ShowTime",     &W::ShowTime,     "6",                      0, Info, 1, 20},
    {"ResWatch",     &W::ResWatch,     "1",                      0, Info},
    {"ResWatchType", &W::ResWatchType, "2",                      0, Info},
    {"ResWatchLow",  &W::ResWatchLow,  "20",                     0, Info, 0, 100, Kept},
    {"ResWatchHigh", &W::ResWatchHigh, "30",                     0, Info, 0, 100, Kept},
    {"ShowOpt",      &W::ShowOpt,      "1",                      9, Display2},
    {"ShowTitle",    &W::ShowTitle,    "1",                     10, Display2},
    {"RecentMsg",    &W::RecentMsg,    "1",                      0, Display2},
    {"Hint",         &W::Hint,         "1",                      0, Display2},
    {"HintBtn",      &W::HintBtn,      "0",                      0, Display2},
    {"TaskBar",      &W::TaskBar,      "0",                      0, Display2},
    {"TaskBarLast",  &W::TaskBarLast,  "1",                      0, Display2},
    {"DelFlash",     &W::DelFlash,     "5",                      0, Areas, 0, 100, Kept},
    {"GomFlash",     &W::GomFlash,     "3",                      0, Areas, 0, 100, Kept},
    {"DelMsg",       &W::DelMsg,       "0",                      0, Areas},
    {"GomMsg",       &W::GomMsg,       "0",                      0, Areas},
    {"AutoFore",     &W::AutoFore,     "1",                      0, Display2},
    {"DateFont",     &W::DateFont,     "clLime",                 0, Info},
    {"DateBack",     &W::DateBack,     "clBlack",                0, Info},
    {"DateFontName", &W::DateFontName, kDefaultDateFontName,     0, Info},
    {"DateBold",     &W::DateBold,     "1",                      0, Info},
    {"DateItalic",   &W::DateItalic,   "1",                      0, Info},
    {"NomalMode",    &W::NomalMode,    "0",                     11, Display1},
    {"SmallMode",    &W::SmallMode,    "0",                     12, Display1},
    {"TitleMode",    &W::TitleMode,    "0",                     13, Display1},
    {"TimeMode",     &W::TimeMode,     "0",                     14, Display1},
    {"TaRMode",      &W::TaRMode,      "1",                     15, Display1},
    {"WinPos",       &W::WinPos,       "5",                      5, Display1},
    {"BtnSize",      &W::BtnSize,      "0",                     19, Display1},
    {"BtnCaption",   &W::BtnCaption,   "0",                     20, Display1},
    {"BtnCaptionL",  &W::BtnCaptionL,  "10",                     0, Display1, 4, 99},
    {"TaRRight",     &W::TaRRight,     "0",                      0, Display2},
    }};
}();
// clang-format on

// The five display-mode flags, in the order of layout::DisplayMode.
inline constexpr std::array<bool WindowSettings::*, 5> kModeFlags{
    &WindowSettings::NomalMode, &WindowSettings::SmallMode, &WindowSettings::TitleMode,
    &WindowSettings::TimeMode, &WindowSettings::TaRMode};

// The row of a field.
const WindowSettingKey& KeyOf(WindowSettingKey::Field field);

// Who reads or writes a key: the launcher window keeps an integer as LoadSettings does; the
// options dialog brings it into its range.
enum class SettingsRole { Launcher, OptionsDialog };
// Reads one key into `settings`, as LoadSettings describes; `dateFontName` is the default of
// DateFontName.
void ReadSetting(const ProfileFile& file, const WindowSettingKey& key, SettingsRole role,
                 std::string_view dateFontName, WindowSettings& settings);
// Writes one key from `settings`.
void WriteSetting(ProfileFile& file, const WindowSettingKey& key, SettingsRole role,
                  const WindowSettings& settings);

// The interval table: ShowTime position 1 to 20 -> milliseconds. A position outside the
// table gives the interval of the default position 6 (1000 ms).
inline constexpr std::array<int, 20> kIntervalTable{
    100,   200,   300,   500,   750,    1000,   1500,   2000,   3000,    5000,
    10000, 20000, 30000, 60000, 120000, 180000, 300000, 600000, 1200000, 1800000};
int SamplingIntervalOf(int showTime);

// Reads every key of [Window] in table order. A missing key, or an integer that is not an
// integer or lies outside its range, reads as the default; a boolean is true for any integer
// other than 0; a colour text that is not a colour reads as the default colour.
// `dateFontName` is the default of DateFontName: the clock's current font.
WindowSettings LoadSettings(const ProfileFile& file,
                            std::string_view dateFontName = kDefaultDateFontName);

// Writes the keys that the launcher window changes itself (saveOrder > 0), in that order.
// The caller saves the file once (ProfileFile::Save), or uses SaveSettingsFile.
void SaveSettings(const WindowSettings& settings, ProfileFile& file);

// Loads the settings file, writes the keys of SaveSettings and saves it atomically. False,
// with `error` saying why, when it could not be written; the file is then as it was.
bool SaveSettingsFile(Platform& platform, const std::string& path, const WindowSettings& settings,
                      std::string& error);

// The files beside the executable: the executable's path with ".txt" (button data), ".ini"
// (settings), ".tmp" and ".tmp2". With the Windows style the extension of the executable is
// replaced; with the POSIX style the suffix is appended. When `writableFallbackDir` is not
// empty the files are put there instead, under the executable's file name.
struct DataFiles {
    std::string txt, ini, tmp, tmp2;
};
DataFiles DataFilePaths(const std::string& executablePath, const std::string& writableFallbackDir,
                        PathStyle style);

// When the files must live in the fallback folder because the executable's folder cannot be
// written: copies the data and settings files found beside the executable into the fallback
// folder, each only when the fallback folder has none of that name yet, so the buttons and
// settings a user had are not hidden. Returns the files copied; `error` says why one could
// not be (the others are still copied).
std::vector<std::string> AdoptFilesBesideExecutable(Platform& platform, const DataFiles& beside,
                                                    const DataFiles& fallback, std::string& error);

} // namespace tavolin
