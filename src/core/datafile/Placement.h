#pragma once

#include "core/datafile/DataFile.h"

#include <memory>
#include <string>

namespace tavolin {
class HeldLock;
} // namespace tavolin

// Putting a new data file in place while other programs may be writing the old one: lines
// they append meanwhile are carried into the new file, any other change is never written over.
namespace tavolin::datafile {

// What a new file was made from: the file as its writer read it, and whether lines appended
// to that file since then belong at the end of the new one as they stand. They do unless the
// writer put lines of its own after the old file's last line (a new section); then only
// appended lines that begin with a category line are carried over as they are.
struct Basis {
    Stamp read;
    bool openEnd = true;
};

enum class Placed { Done, Changed, Failed };

// Why nothing was written when the file never stood still.
inline const std::string kKeptChanging = "ほかのプログラムがこのファイルに書き込み続けています。";

// The lock the program's copies hold on the data file at `path` while they read, merge and
// write it, so that two of them never interleave. After a few seconds' wait for another copy
// it is nothing, and the writer goes on: Place's checks still keep every line.
std::unique_ptr<HeldLock> LockForWriting(Platform& platform, const std::string& path);

// Puts `prepared` (written from a file in `source`) in place of the file at `path`, unless
// that file is no longer what `basis` says: lines appended to it meanwhile are added to the new
// file and the file is checked again, a bounded number of times; lines appended in the instant
// of the replacement are added afterwards where the system can still read the old file. Any
// other change writes nothing: Changed, and the caller merges again or asks. Failed, with
// `error` saying why, when the file could not be put in place or never stopped growing.
Placed Place(const std::string& path, Prepared& prepared, text::Encoding source, const Basis& basis,
             std::string& error);

} // namespace tavolin::datafile
