#pragma once

#include "core/store/StoreNotice.h"

#include <string>

namespace tavolin {

class View;
struct IniMigration;

// The messages of what the button store met, in the order it met it, about `dataFile`.
void ShowStoreNotices(View& view, const std::string& dataFile, const StoreNotices& notices);

// The warning that button value `value` found no free button on `page`, the last page.
void ShowNoRoom(View& view, const std::string& page, const std::string& value);

// The message of a migration of the settings file's categories that failed (none otherwise).
void ShowMigration(View& view, const IniMigration& migration, const std::string& settingsFile,
                   const std::string& dataFile);

} // namespace tavolin
