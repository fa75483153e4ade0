#pragma once

#include <string>

namespace tavolin {

class Platform;

// What came of moving the old category sections out of the settings file.
struct IniMigration {
    enum class Result {
        Nothing,            // no settings file, or a data file already
        Moved,              // the data file is written and the sections are gone
        SettingsUnreadable, // the settings file could not be read: nothing moved (`error`)
        DataFileNotMade,    // the data file could not be written: nothing moved (`error`)
        SettingsNotWritten, // the data file is written, the settings file keeps them (`error`)
    };
    Result result = Result::Nothing;
    std::string error;
};

// At start-up, with a settings file and no data file: moves the [Category] and
// [Category:<name>] sections into a new data file, and then out of the settings file.
IniMigration MigrateIniCategories(Platform& platform, const std::string& settingsFile,
                                  const std::string& dataFile);

} // namespace tavolin
