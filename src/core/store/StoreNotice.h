#pragma once

#include "core/text/TextFile.h"

#include <string>
#include <vector>

namespace tavolin {

// What a button store operation met that the user is to be told, with what the telling needs;
// the launcher turns each into its message.
struct StoreNotice {
    enum class Kind {
        Unreadable,  // the data file could not be read (`detail`: why, when known)
        Foreign,     // the data file is of a foreign `encoding`: told once, never written
        NotSaved,    // the page was not saved: the data file could not be read (`detail`)
        WriteFailed, // the page was not saved: the new file could not be put in place (`detail`)
        LineBreak,   // a target with a line break or NUL cannot be a button (`detail`: it)
    };
    Kind kind = Kind::Unreadable;
    std::string detail;
    text::Encoding encoding = text::Encoding::Cp932;

    friend bool operator==(const StoreNotice&, const StoreNotice&) = default;
};

// In the order they were met.
using StoreNotices = std::vector<StoreNotice>;

} // namespace tavolin
