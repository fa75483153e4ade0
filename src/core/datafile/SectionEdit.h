#pragma once

#include "core/text/TextFile.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tavolin {
class Platform;
} // namespace tavolin

namespace tavolin::datafile {

// Lines of one section replaced in the data file as it is when it is written: the section's
// lines that `drop` takes out go, `lines` go at the section's end, every other line is kept
// byte for byte (a new section at the end of the file when there is none).
struct SectionEdit {
    // The section: the first that opens this category.
    std::string category;
    // Composed texts (UTF-8), written in the file's encoding, or in UTF-8 with a mark when
    // code page 932 cannot hold one of them or the category.
    std::vector<std::string> lines;
    // Called before each pass over the file (a pass may be run again: see ReplaceLines) with
    // the encoding the file is read in.
    std::function<void(text::Encoding)> begin;
    // Asked, in file order, about each line of the section that is neither blank nor a comment;
    // true takes it out.
    std::function<bool(std::string_view raw)> drop;
};

// What came of ReplaceLines.
struct Replaced {
    enum class Result {
        Done,       // the new file is in place, written in `encoding`
        Unreadable, // the file is no regular file or could not be read (`reason`, when known)
        Foreign,    // the file is of a foreign `encoding`, which is never written over
        WriteFailed // the new file could not be put in place (`reason`, may be empty)
    };
    Result result = Result::Done;
    std::string reason;
    text::Encoding encoding = text::Encoding::Cp932;
};

// Applies `edit` under the lock the program's copies share. The new file is checked against the
// old one before it takes its name (see Place): lines appended meanwhile are kept, and any
// other change by another writer means the edit is made again on the file as it is then, a few
// times at most before nothing is written.
Replaced ReplaceLines(Platform& platform, const std::string& path, const SectionEdit& edit);

} // namespace tavolin::datafile
