#include "core/settings/Settings.h"

#include "core/Platform.h"
#include "core/path/PathHelpers.h"
#include "core/settings/ProfileFile.h"
#include "core/text/TextFile.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <utility>

namespace tavolin {

namespace {

// Helper for std::visit over the field pointers of a table row.
template <class... Fs> struct Overloaded : Fs... { using Fs::operator()...; };
template <class... Fs> Overloaded(Fs...) -> Overloaded<Fs...>;

int IntegerDefault(const WindowSettingKey& key) {
    int value = 0;
    const auto text = key.defaultText;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

void ReadSetting(const ProfileFile& file, const WindowSettingKey& key, SettingsRole role,
                 std::string_view dateFontName, WindowSettings& settings) {
    const std::string section(kWindowSection);
    const std::string name(key.key);
    std::visit(Overloaded{
                   [&](int WindowSettings::*f) {
                       const int fallback = IntegerDefault(key);
                       const int value = file.ReadInteger(section, name, fallback);
                       const bool inside = value >= key.minimum && value <= key.maximum;
                       settings.*f = role == SettingsRole::OptionsDialog
                                         ? std::clamp(value, key.minimum, key.maximum)
                                         : (inside ? value : fallback);
                   },
                   [&](bool WindowSettings::*f) {
                       settings.*f = file.ReadInteger(section, name, IntegerDefault(key)) != 0;
                   },
                   [&](std::string WindowSettings::*f) {
                       // The clock's font defaults to the font it has now.
                       const std::string fallback(
                           f == &WindowSettings::DateFontName ? dateFontName : key.defaultText);
                       settings.*f = file.ReadString(section, name, fallback);
                   },
                   [&](Colour WindowSettings::*f) {
                       const std::string fallback(key.defaultText);
                       settings.*f =
                           ColourFromTextOr(file.ReadString(section, name, fallback), fallback);
                   },
               },
               key.field);
}

// Writes one key; an integer is kept within its range (only the options dialog writes keys
// that have one).
void WriteSetting(ProfileFile& file, const WindowSettingKey& key, const WindowSettings& settings) {
    const std::string section(kWindowSection);
    const std::string name(key.key);
    std::visit(
        Overloaded{
            [&](int WindowSettings::*f) {
                file.WriteInteger(section, name, std::clamp(settings.*f, key.minimum, key.maximum));
            },
            [&](bool WindowSettings::*f) {
                file.WriteString(section, name, settings.*f ? "1" : "0");
            },
            [&](std::string WindowSettings::*f) { file.WriteString(section, name, settings.*f); },
            [&](Colour WindowSettings::*f) {
                file.WriteString(section, name, ColourToText(settings.*f));
            },
        },
        key.field);
}

} // namespace

WindowSettings::WindowSettings() {
    for (const auto& key : kWindowSettingKeys) {
        std::visit(
            Overloaded{
                [&](int WindowSettings::*f) { this->*f = IntegerDefault(key); },
                [&](bool WindowSettings::*f) { this->*f = IntegerDefault(key) != 0; },
                [&](std::string WindowSettings::*f) { this->*f = std::string(key.defaultText); },
                [&](Colour WindowSettings::*f) {
                    this->*f = ColourFromText(std::string(key.defaultText));
                },
            },
            key.field);
    }
}

int WindowSettings::SamplingInterval() const {
    return SamplingIntervalOf(ShowTime);
}

int SamplingIntervalOf(int showTime) {
    constexpr int kDefaultPosition = 6;
    if (showTime < 1 || showTime > static_cast<int>(kIntervalTable.size()))
        showTime = kDefaultPosition;
    return kIntervalTable[static_cast<std::size_t>(showTime - 1)];
}

const WindowSettingKey& KeyOf(WindowSettingKey::Field field) {
    // Every field has its row (the table's test sees to that).
    return *std::find_if(kWindowSettingKeys.begin(), kWindowSettingKeys.end(),
                         [&](const WindowSettingKey& key) { return key.field == field; });
}

WindowSettings LoadSettings(const ProfileFile& file, std::string_view dateFontName,
                            SettingsRole role) {
    WindowSettings settings;
    for (const auto& key : kWindowSettingKeys)
        ReadSetting(file, key, role, dateFontName, settings);
    return settings;
}

void SaveSettings(const WindowSettings& settings, ProfileFile& file, SettingsRole role) {
    std::vector<const WindowSettingKey*> keys;
    for (const auto& key : kWindowSettingKeys) {
        if (role == SettingsRole::Launcher ? key.saveOrder > 0 : key.page != kNoPage)
            keys.push_back(&key);
    }
    if (role == SettingsRole::Launcher) {
        std::sort(keys.begin(), keys.end(),
                  [](const auto* a, const auto* b) { return a->saveOrder < b->saveOrder; });
    }
    for (const auto* key : keys)
        WriteSetting(file, *key, settings);
}

bool SaveSettingsFile(Platform& platform, const std::string& path, const WindowSettings& settings,
                      std::string& error) {
    ProfileFile file(path);
    SaveSettings(settings, file);
    return file.Save(platform, error);
}

std::vector<std::string> AdoptFilesBesideExecutable(Platform& platform, const DataFiles& beside,
                                                    const DataFiles& fallback, std::string& error) {
    std::vector<std::string> copied;
    // The memo lies beside the settings file and moves with it.
    const auto memoBeside = [&](const std::string& ini) {
        const std::size_t separator = LastSeparator(ini, platform.Style());
        return (separator == std::string::npos ? std::string() : ini.substr(0, separator + 1)) +
               "Memo.txt";
    };
    const std::string memoFrom = memoBeside(beside.ini);
    const std::string memoTo = memoBeside(fallback.ini);
    const std::pair<const std::string*, const std::string*> files[] = {
        {&beside.txt, &fallback.txt}, {&beside.ini, &fallback.ini}, {&memoFrom, &memoTo}};
    for (const auto& [from, to] : files) {
        if (*from == *to || platform.Attributes(*to).exists)
            continue;
        const std::optional<std::string> bytes = text::ReadFileBytes(*from);
        if (!bytes)
            continue; // none beside the executable, or not readable as a file
        std::string why;
        if (platform.ReplaceFile(*to, *bytes, why)) {
            copied.push_back(*to);
        } else if (error.empty()) {
            error = why;
        }
    }
    return copied;
}

DataFiles DataFilePaths(const std::string& executablePath, const std::string& writableFallbackDir,
                        PathStyle style) {
    std::string stem = NativePath(executablePath, style);
    if (style == PathStyle::Windows) {
        // "tavolin.exe" loses its extension; a name without one keeps all of it.
        const auto separator = LastSeparator(stem, style);
        const auto nameStart = separator == std::string::npos ? 0 : separator + 1;
        const auto dot = stem.rfind('.');
        if (dot != std::string::npos && dot > nameStart)
            stem.resize(dot);
    }
    if (!writableFallbackDir.empty()) {
        const auto separator = LastSeparator(stem, style);
        const std::string name = separator == std::string::npos ? stem : stem.substr(separator + 1);
        stem = JoinPath(writableFallbackDir, name, style);
    }
    return DataFiles{stem + ".txt", stem + ".ini", stem + ".tmp", stem + ".tmp2"};
}

} // namespace tavolin
