#include "core/options/Environment.h"

#include "core/Platform.h"
#include "core/View.h"
#include "core/helpers/MessageBox.h"
#include "core/settings/ProfileFile.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <utility>

namespace tavolin::options {

namespace {

const std::string kMem = "Mem";
const std::string kAdr = "Adr";
const std::string kCal = "Cal";

constexpr std::array<const char*, 20> kIntervalLabels{
    "0.1秒", "0.2秒", "0.3秒", "0.5秒", "0.75秒", "1秒", "1.5秒", "2秒",  "3秒",  "5秒",
    "10秒",  "20秒",  "30秒",  "1分",   "2分",    "3分", "5分",   "10分", "20分", "30分"};

// The number boxes and the keys whose values their up-downs hold.
constexpr std::array<std::pair<NumberBox Environment::*, int WindowSettings::*>, 4> kBoxes{{
    {&Environment::WatchLowBox, &WindowSettings::ResWatchLow},
    {&Environment::WatchHighBox, &WindowSettings::ResWatchHigh},
    {&Environment::DelFlashBox, &WindowSettings::DelFlash},
    {&Environment::GomFlashBox, &WindowSettings::GomFlash},
}};

// The pages' keys written into the loaded file.
void WriteEnvironment(const Environment& env, ProfileFile& file) {
    WindowSettings values = env;
    for (const auto& [box, field] : kBoxes)
        values.*field = (env.*box).position;
    SaveSettings(values, file, SettingsRole::OptionsDialog);
    file.WriteInteger(kMem, "HBar", env.MemoHBar ? 1 : 0);
    file.WriteInteger(kMem, "VBar", env.MemoVBar ? 1 : 0);
    file.WriteString(kMem, "Color", ColourToText(env.MemoColor));
    file.WriteString(kMem, "FontColor", ColourToText(env.MemoFontColor));
    file.WriteInteger(kMem, "Position", env.MemoPosition);
    file.WriteInteger(kAdr, "Position", env.AdrPosition);
    file.WriteInteger(kCal, "Position", env.CalPosition);
}

} // namespace

std::string SettingsWriteFailure(const std::string& path, const std::string& why) {
    return "設定ファイル(" + path + ")に書き込めませんでした。\r\n" + why;
}

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
    : MemoColor(ColourFromText("$E1FFFF")), MemoFontColor(ColourFromText("clBlack")) {
    for (const auto& [box, field] : kBoxes)
        this->*box = NumberBox::Of(this->*field);
    ChooseMode(DisplayMode::Nomal);
}

NumberBox* Environment::BoxOf(int WindowSettings::*field) {
    for (const auto& [box, boxField] : kBoxes) {
        if (boxField == field)
            return &(this->*box);
    }
    return nullptr;
}

DisplayMode Environment::Mode() const {
    for (std::size_t i = 0; i < kModeFlags.size(); ++i) {
        if (this->*kModeFlags[i])
            return static_cast<DisplayMode>(i);
    }
    return DisplayMode::Nomal;
}

void Environment::ChooseMode(DisplayMode mode) {
    for (std::size_t i = 0; i < kModeFlags.size(); ++i)
        this->*kModeFlags[i] = static_cast<DisplayMode>(i) == mode;
    if (mode == DisplayMode::Small)
        ShowTitle = false;
}

Environment LoadEnvironment(const std::string& path, int winPos, std::string_view dateFontName) {
    const ProfileFile file(path);
    Environment env;
    static_cast<WindowSettings&>(env) =
        LoadSettings(file, dateFontName, SettingsRole::OptionsDialog);
    if (env.ResWatchType < kWatchMessage || env.ResWatchType > kWatchResource)
        env.ResWatchType = kWatchDate;
    for (const auto& [box, field] : kBoxes)
        env.*box = NumberBox::Of(std::clamp(env.*field, 0, 100));
    // The mode buttons are one choice: each key read as true chooses its mode, so the last
    // of them wins. A missing key reads as false, but for the normal mode; a file with all
    // five at 0 would leave no mode chosen and write five zeros, which no display mode
    // reads: the normal mode stands then.
    env.ChooseMode(DisplayMode::Nomal);
    for (std::size_t i = 0; i < kModeFlags.size(); ++i) {
        const DisplayMode mode = static_cast<DisplayMode>(i);
        const std::string key(KeyOf(kModeFlags[i]).key);
        if (file.ReadInteger(std::string(kWindowSection), key, mode == DisplayMode::Nomal) != 0)
            env.ChooseMode(mode);
    }
    env.WinPos = winPos;

    env.MemoHBar = file.ReadInteger(kMem, "HBar", 0) != 0;
    env.MemoVBar = file.ReadInteger(kMem, "VBar", 0) != 0;
    env.MemoColor = ColourFromTextOr(file.ReadString(kMem, "Color", "$E1FFFF"), "$E1FFFF");
    env.MemoFontColor = ColourFromTextOr(file.ReadString(kMem, "FontColor", "clBlack"), "clBlack");
    const auto position = [&](const std::string& section) {
        return file.ReadInteger(section, "Position", 1) == 0 ? 0 : 1;
    };
    env.MemoPosition = position(kMem);
    env.AdrPosition = position(kAdr);
    env.CalPosition = position(kCal);
    return env;
}

bool UsableHotKey(const std::string& key) {
    if (key.empty())
        return true;
    std::size_t start = 0;
    for (std::size_t plus = key.find('+', 1); plus != std::string::npos;
         plus = key.find('+', start + 1)) {
        const std::string_view part(key.data() + start, plus - start);
        if (part == "Ctrl" || part == "Alt" || part == "Meta")
            return true;
        start = plus + 1;
    }
    return false;
}

bool CheckEnvironment(const Environment& env, View& view, std::string& focus) {
    const auto refuse = [&](const char* message, const char* control) {
        ShowMessageBox(view, message, MsgKind::Warning, msg_buttons::kOkOnly);
        focus = control;
        return false;
    };
    if (!UsableHotKey(env.HotKey)) {
        return refuse("ホットキーには Ctrl、Alt または Windows キーを含めて下さい。\r\n"
                      "他のキーだけでは、どのプログラムでもそのキーが使えなくなります。",
                      "edtHotKey");
    }
    if (!env.ResWatch)
        return true;
    static constexpr const char* kRange = "値は0から100でなければいけません";
    const auto low = ToInteger(env.WatchLowBox.text);
    const auto high = ToInteger(env.WatchHighBox.text);
    if (!low)
        return refuse(kRange, "edtWatchLow");
    if (!high)
        return refuse(kRange, "edtWatchHigh");
    if (*low < 0 || *low > 100)
        return refuse(kRange, "edtWatchLow");
    if (*high < 0 || *high > 100)
        return refuse(kRange, "edtWatchHigh");
    if (env.WatchLowBox.position >= env.WatchHighBox.position) {
        return refuse("下限は上限より小さくして下さい", "edtWatchLow");
    }
    // Whether the chosen way of telling can be seen in the chosen display mode.
    const DisplayMode mode = env.Mode();
    const bool nomal = mode == DisplayMode::Nomal;
    const int type = env.ResWatchType;
    const bool seen = type == kWatchTitle  ? env.ShowTitle && (nomal || mode == DisplayMode::Title)
                      : type == kWatchDate ? env.ShowDate && (nomal || mode == DisplayMode::Time ||
                                                              mode == DisplayMode::TaR)
                      : type == kWatchResource ? env.ShowRes && nomal
                                               : true;
    if (seen)
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

std::unique_ptr<FileReplacement> BeginSaveEnvironment(Platform& platform, const std::string& path,
                                                      const Environment& env, std::string& error) {
    ProfileFile file(path);
    WriteEnvironment(env, file);
    std::string why;
    auto replacement = file.BeginSave(platform, why);
    if (!replacement)
        error = SettingsWriteFailure(path, why);
    return replacement;
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
    const auto it = std::find_if(list.begin(), list.end(), [&](const ColourItem& item) {
        return !item.other && item.colour == colour;
    });
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

int AddCustomColour(std::vector<ColourItem>& list, const Colour& colour) {
    auto at = list.end();
    if (!list.empty() && list.back().other)
        --at;
    at = list.insert(at, {CustomColourText(colour), colour});
    return static_cast<int>(at - list.begin());
}

} // namespace tavolin::options
