#include "core/settings/MigrateIniCategories.h"

#include "core/datafile/DataFile.h"
#include "core/settings/ProfileFile.h"
#include "core/text/Cp932.h"

#include <filesystem>
#include <system_error>
#include <vector>

namespace tavolin {

IniMigration MigrateIniCategories(Platform& platform, const std::string& settingsFile,
                                  const std::string& dataFile) {
    using Result = IniMigration::Result;
    std::error_code ec;
    if (!std::filesystem::exists(text::FsPath(settingsFile), ec) ||
        text::KindAt(dataFile) != text::FileKind::Missing)
        return {};

    ProfileFile settings(settingsFile);
    // Categories that cannot be read are left where they are, for a later start.
    if (!settings.LoadError().empty())
        return {Result::SettingsUnreadable, settings.LoadError()};
    // The category names, and each category's button lines as bytes (a button holds a path).
    std::vector<std::string> names;
    std::vector<std::vector<std::string>> buttons;
    for (int k = 0;; ++k) {
        const std::string name = settings.ReadString("Category", std::to_string(k), "");
        if (name.empty())
            break;
        names.push_back(name);
        const std::string section = "Category:" + name;
        const auto entries = settings.ReadSection(section);
        auto& lines = buttons.emplace_back();
        for (const auto& [key, value] : entries)
            lines.push_back(text::EncodeUtf8(key + "=" + value));
        if (!entries.empty())
            settings.EraseSection(section);
    }
    settings.EraseSection("Category");

    // The data file is written first; only then do the sections leave the settings file,
    // so a failure at any point loses no category.
    std::string error;
    std::vector<std::string> values;
    for (const auto& lines : buttons)
        values.insert(values.end(), lines.begin(), lines.end());
    const auto writeLines = [&](datafile::Writer& out) {
        for (std::size_t i = 0; i < names.size(); ++i) {
            out.Category(names[i]);
            for (const auto& line : buttons[i])
                out.Text(line);
        }
        return true;
    };
    const auto cp932 = text::Encoding::Cp932;
    if (!datafile::Write(platform, dataFile, cp932, datafile::OutputFor(cp932, values, names),
                         writeLines, error))
        return {Result::DataFileNotMade, error};
    if (!settings.Save(platform, error))
        return {Result::SettingsNotWritten, error};
    return {Result::Moved, {}};
}

} // namespace tavolin
