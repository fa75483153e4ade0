#include "core/options/Environment.h"

#include "core/Errors.h"
#include "core/View.h"
#include "core/helpers/MessageBox.h"
#include "core/settings/ProfileFile.h"
#include "core/settings/Settings.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace tavolin::options {

namespace {

const std::string kWindow(kWindowSection);
const std::string kMem = "Mem";
const std::string kAdr = "Adr";
const std::string kCal = "Cal";

constexpr std::array<const char*, 20> kIntervalLabels{
    "0.1秒", "0.2秒", "0.3秒", "0.5秒", "0.75秒", "1秒", "1.5秒", "2秒",  "3秒",  "5秒",
    "10秒",  "20秒",  "30秒",  "1分",   "2分",    "3分", "5分",   "10分", "20分", "30分"};

Colour ColourOr(const std::string& text, const char* fallback) {
    try {
        return ColourFromText(text);
    } catch (const ConversionError&) {
        return ColourFromText(fallback);
    }
}

bool ReadBool(const ProfileFile& file, const std::string& section, const char* key, bool value) {
    return file.ReadInteger(section, key, value ? 1 : 0) != 0;
}

} // namespace

void NumberBox::SetText(std::string value) {
    text = std::move(value);
    if (const auto number = ToInteger(text))
        position = std::clamp(*number, 0, 100);
}

NumberBox NumberBox::Of(int value) {
    NumberBox box;
    box.SetText(std::to_string(value));
    return box;
}

Environment::Environment()
    : DateFontName(kDefaultDateFontName), DateFont(ColourFromText("clLime")),
      DateBack(ColourFromText("clBlack")), MemoColor(ColourFromText("$E1FFFF")),
      MemoFontColor(ColourFromText("clBlack")) {}

void Environment::ChooseMode(DisplayMode mode) {
    Mode = mode;
    if (mode == DisplayMode::Small)
        ShowTitle = false;
}

Environment LoadEnvironment(const ProfileFile& file, int winPos, std::string_view dateFontName) {
    Environment env;
    const auto flag = [&](const char* key, bool value) {
        return ReadBool(file, kWindow, key, value);
    };
    const auto number = [&](const char* key, int value) {
        return file.ReadInteger(kWindow, key, value);
    };
    env.ShowRes = flag("ShowRes", true);
    env.ShowMem = flag("ShowMem", true);
    env.ShowDate = flag("ShowDate", true);
    env.ShowTime = std::clamp(number("ShowTime", 6), 1, 20);
    env.ResWatch = flag("ResWatch", true);
    env.ResWatchType = number("ResWatchType", kWatchDate);
    if (env.ResWatchType < kWatchMessage || env.ResWatchType > kWatchResource) {
        env.ResWatchType = kWatchDate;
    }
    env.WatchLow = NumberBox::Of(std::clamp(number("ResWatchLow", 20), 0, 100));
    env.WatchHigh = NumberBox::Of(std::clamp(number("ResWatchHigh", 30), 0, 100));
    env.ShowOpt = flag("ShowOpt", true);
    env.ShowTitle = flag("ShowTitle", true);
    env.RecentMsg = flag("RecentMsg", true);
    env.Hint = flag("Hint", true);
    env.HintBtn = flag("HintBtn", false);
    env.TaskBar = flag("TaskBar", false);
    env.TaskBarLast = flag("TaskBarLast", true);
    env.DelFlash = NumberBox::Of(std::clamp(number("DelFlash", 5), 0, 100));
    env.GomFlash = NumberBox::Of(std::clamp(number("GomFlash", 3), 0, 100));
    env.DelMsg = flag("DelMsg", false);
    env.GomMsg = flag("GomMsg", false);
    env.AutoFore = flag("AutoFore", true);
    env.DateFont = ColourOr(file.ReadString(kWindow, "DateFont", "clLime"), "clLime");
    env.DateBack = ColourOr(file.ReadString(kWindow, "DateBack", "clBlack"), "clBlack");
    env.DateFontName = file.ReadString(kWindow, "DateFontName", std::string(dateFontName));
    env.DateBold = flag("DateBold", true);
    env.DateItalic = flag("DateItalic", true);
    // The mode buttons are one choice: each key read as true chooses its mode, so the last
    // of them wins. A file with all five at 0 would leave no mode chosen and write five
    // zeros, which no display mode reads; the normal mode stands then.
    constexpr std::array<std::pair<const char*, DisplayMode>, 5> modes{{
        {"NomalMode", DisplayMode::Nomal},
        {"SmallMode", DisplayMode::Small},
        {"TitleMode", DisplayMode::Title},
        {"TimeMode", DisplayMode::Time},
        {"TaRMode", DisplayMode::TaR},
    }};
    for (const auto& [key, mode] : modes) {
        if (flag(key, mode == DisplayMode::Nomal))
            env.ChooseMode(mode);
    }
    env.WinPos = winPos;
    env.BtnSize = flag("BtnSize", false);
    env.BtnCaption = flag("BtnCaption", false);
    env.BtnCaptionL = std::clamp(number("BtnCaptionL", 10), 4, 99);
    env.TaRRight = flag("TaRRight", false);

    env.MemoHBar = ReadBool(file, kMem, "HBar", false);
    env.MemoVBar = ReadBool(file, kMem, "VBar", false);
    env.MemoColor = ColourOr(file.ReadString(kMem, "Color", "$E1FFFF"), "$E1FFFF");
    env.MemoFontColor = ColourOr(file.ReadString(kMem, "FontColor", "clBlack"), "clBlack");
    const auto position = [&](const std::string& section) {
        return file.ReadInteger(section, "Position", 1) == 0 ? 0 : 1;
    };
    env.MemoPosition = position(kMem);
    env.AdrPosition = position(kAdr);
    env.CalPosition = position(kCal);
    return env;
}

bool CheckEnvironment(const Environment& env, View& view, std::string& focus) {
    if (!env.ResWatch)
        return true;
    const auto refuse = [&](const char* message, const char* control) {
        ShowMessageBox(view, message, MsgKind::Warning, msg_buttons::kOkOnly);
        focus = control;
        return false;
    };
    static constexpr const char* kRange = "値は0から100でなければいけません";
    const auto low = ToInteger(env.WatchLow.text);
    const auto high = ToInteger(env.WatchHigh.text);
    if (!low)
        return refuse(kRange, "edtWatchLow");
    if (!high)
        return refuse(kRange, "edtWatchHigh");
    if (*low < 0 || *low > 100)
        return refuse(kRange, "edtWatchLow");
    if (*high < 0 || *high > 100)
        return refuse(kRange, "edtWatchHigh");
    if (env.WatchLow.position >= env.WatchHigh.position) {
        return refuse("下限は上限より小さくして下さい", "edtWatchLow");
    }
    const DisplayMode mode = env.Mode;
    bool met = true;
    switch (env.ResWatchType) {
    case kWatchTitle:
        met = env.ShowTitle && (mode == DisplayMode::Nomal || mode == DisplayMode::Title);
        break;
    case kWatchDate:
        met = env.ShowDate &&
              (mode == DisplayMode::Nomal || mode == DisplayMode::Time || mode == DisplayMode::TaR);
        break;
    case kWatchResource:
        met = env.ShowRes && mode == DisplayMode::Nomal;
        break;
    default:
        break;
    }
    if (met)
        return true;
    const MsgResult answer = ShowMessageBox(
        view,
        "この設定ではリソースが設定値を下回っても通知されない場合があります。よろしいですか？"
        "\r\n\r\n"
        "通知方法が [タイトルバー点滅] "
        "の時は、Windowタイトル表示で「通常モード」か「タイトルモード」"
        "\r\n"
        "通知方法が [日付点滅] の時は、日付表示で「通常モード」 "
        "か「時計モード」か「時計+情報モード」"
        "\r\n"
        "通知方法が [リソース枠点滅] の時は、リソース枠表示で「通常モード」\r\n",
        MsgKind::Information, msg_buttons::kYesNo);
    if (answer == MsgResult::Yes)
        return true;
    focus = "cmbWatch";
    return false;
}

void WriteEnvironment(const Environment& env, ProfileFile& file) {
    const auto flag = [&](const char* key, bool value) {
        file.WriteInteger(kWindow, key, value ? 1 : 0);
    };
    const auto number = [&](const char* key, int value) { file.WriteInteger(kWindow, key, value); };
    flag("ShowRes", env.ShowRes);
    flag("ShowMem", env.ShowMem);
    flag("ShowDate", env.ShowDate);
    number("ShowTime", env.ShowTime);
    flag("ResWatch", env.ResWatch);
    number("ResWatchType", env.ResWatchType);
    number("ResWatchLow", env.WatchLow.position);
    number("ResWatchHigh", env.WatchHigh.position);
    flag("ShowOpt", env.ShowOpt);
    flag("ShowTitle", env.ShowTitle);
    flag("RecentMsg", env.RecentMsg);
    flag("Hint", env.Hint);
    flag("HintBtn", env.HintBtn);
    flag("TaskBar", env.TaskBar);
    flag("TaskBarLast", env.TaskBarLast);
    number("DelFlash", env.DelFlash.position);
    number("GomFlash", env.GomFlash.position);
    flag("DelMsg", env.DelMsg);
    flag("GomMsg", env.GomMsg);
    flag("AutoFore", env.AutoFore);
    file.WriteString(kWindow, "DateFont", ColourToText(env.DateFont));
    file.WriteString(kWindow, "DateBack", ColourToText(env.DateBack));
    file.WriteString(kWindow, "DateFontName", env.DateFontName);
    flag("DateBold", env.DateBold);
    flag("DateItalic", env.DateItalic);
    flag("NomalMode", env.Mode == DisplayMode::Nomal);
    flag("SmallMode", env.Mode == DisplayMode::Small);
    flag("TitleMode", env.Mode == DisplayMode::Title);
    flag("TimeMode", env.Mode == DisplayMode::Time);
    flag("TaRMode", env.Mode == DisplayMode::TaR);
    number("WinPos", env.WinPos);
    flag("BtnSize", env.BtnSize);
    flag("BtnCaption", env.BtnCaption);
    number("BtnCaptionL", std::clamp(env.BtnCaptionL, 4, 99));
    flag("TaRRight", env.TaRRight);
    file.WriteInteger(kMem, "HBar", env.MemoHBar ? 1 : 0);
    file.WriteInteger(kMem, "VBar", env.MemoVBar ? 1 : 0);
    file.WriteString(kMem, "Color", ColourToText(env.MemoColor));
    file.WriteString(kMem, "FontColor", ColourToText(env.MemoFontColor));
    file.WriteInteger(kMem, "Position", env.MemoPosition);
    file.WriteInteger(kAdr, "Position", env.AdrPosition);
    file.WriteInteger(kCal, "Position", env.CalPosition);
}

std::string IntervalCaption(int position) {
    const int index = std::clamp(position, 1, 20) - 1;
    return "更新の間隔 (" + std::to_string(kIntervalTable[static_cast<std::size_t>(index)]) +
           "/ミリ秒 = " + kIntervalLabels[static_cast<std::size_t>(index)] + ") (&T)";
}

const std::vector<ColourItem>& ColourTable() {
    static const std::vector<ColourItem> table = [] {
        constexpr std::array<std::pair<const char*, const char*>, 18> rows{{
            {"黒", "clBlack"},
            {"灰色(暗)", "clGray"},
            {"茶色", "clMaroon"},
            {"濃黄色", "clOlive"},
            {"濃緑色", "clGreen"},
            {"濃水色", "clTeal"},
            {"濃青色", "clNavy"},
            {"濃紫色", "clPurple"},
            {"灰色(明)", "clSilver"},
            {"赤", "clRed"},
            {"黄", "clYellow"},
            {"緑", "clLime"},
            {"水色", "clAqua"},
            {"青", "clBlue"},
            {"紫色", "clFuchsia"},
            {"白色", "clWhite"},
            {"ボタン面の色", "clBtnFace"},
            {"ボタンの文字の色", "clBtnText"},
        }};
        std::vector<ColourItem> items;
        for (const auto& [text, name] : rows)
            items.push_back({text, ColourFromText(name)});
        return items;
    }();
    return table;
}

std::string CustomColourText(const Colour& colour) {
    char text[8];
    std::snprintf(text, sizeof text, "$%02X%02X%02X", colour.blue, colour.green, colour.red);
    return text;
}

std::vector<ColourItem> ColourList(const Colour& colour, int& selected) {
    std::vector<ColourItem> list = ColourTable();
    selected = FindColour(list, colour);
    if (selected < 0) {
        list.push_back({CustomColourText(colour), colour});
        selected = static_cast<int>(list.size()) - 1;
    }
    list.push_back({"その他 ...", ColourFromText("clNone"), true});
    return list;
}

int FindColour(const std::vector<ColourItem>& list, const Colour& colour) {
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (!list[i].other && list[i].colour == colour)
            return static_cast<int>(i);
    }
    return -1;
}

int AddCustomColour(std::vector<ColourItem>& list, const Colour& colour) {
    auto at = list.end();
    if (!list.empty() && list.back().other)
        --at;
    at = list.insert(at, {CustomColourText(colour), colour});
    return static_cast<int>(at - list.begin());
}

} // namespace tavolin::options
