#pragma once

#include "core/datafile/DataFile.h"
#include "core/datafile/Placement.h"
#include "core/text/TextFile.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tavolin {
class Platform;
class View;
} // namespace tavolin

namespace tavolin::categories {

// The category editor's working copy of the data file, in which categories are added, renamed,
// deleted and reordered. Open copies the data file to the working file; a command writes the
// new working file as the scratch file and renames it over the working file (a move rewrites
// its two blocks in place); Commit replaces the data file with it atomically. The working and
// scratch files are thrown away after a crash, so they are not flushed to disk.
//
// A block is a category line and every line up to the next one. Commands work on blocks by
// position, so two categories of one name are two blocks, and copy their bytes as they are:
// only a renamed category line is written anew. Only the names and the blocks' places stay in
// memory.
class WorkingCopy {
public:
    WorkingCopy(Platform& platform, View& view, std::string dataFile, std::string workingFile,
                std::string scratchFile);
    ~WorkingCopy();
    WorkingCopy(const WorkingCopy&) = delete;
    WorkingCopy& operator=(const WorkingCopy&) = delete;

    // Reads the names and makes the working file in one pass (a missing data file is first
    // created). False, after telling the user, when either cannot be done.
    bool Open();

    // The category names in file order (empty when the file has no category line).
    const std::vector<std::string>& Names() const { return m_names; }

    // Each command returns whether it changed the list (and the working file). An empty or
    // listed name changes nothing; one with a line break or a NUL is refused with a message.
    bool Add(const std::string& name); // an empty block at the end
    bool Rename(std::size_t index, const std::string& name);
    // Asks the user, then removes the category at `index` with its block.
    bool Delete(std::size_t index);
    // Swaps the block at `index` with the one before or after it.
    bool MoveUp(std::size_t index);
    bool MoveDown(std::size_t index);

    // Replaces the data file with the working file unless the data file changed meanwhile
    // other than by lines appended to it (Changed: nothing is written; Recheck then asks).
    // Failed after telling the user why.
    datafile::Placed Commit();

    // Before Commit: whether the data file is still as Open read it (see CheckUnchanged; on
    // Reload the working copy is made again).
    datafile::Unchanged Recheck();

    // Removes the working and scratch files. Commands do nothing after it.
    void Close();

private:
    // Where a block lies in the working file; blocks follow each other without a gap.
    struct Block {
        std::uint64_t begin = 0; // the category line
        std::uint64_t body = 0;  // the line after it
        std::uint64_t end = 0;   // the next block, or the end of the file
    };
    // One block of the new working file: an old block, with a new category line for `name`
    // when given, or a new empty block.
    struct Planned {
        std::optional<std::size_t> source;
        std::optional<std::string> name;
    };

    // Whether commands may run: open, and the working file whole (a failed move is told again).
    bool Usable();
    enum class NameCheck { Accepted, Ignored, Refused };
    NameCheck Check(const std::string& name) const;
    // The file's encoding once `name` is in it.
    text::Encoding EncodingFor(const std::string& name) const;
    bool Rewrite(const std::vector<Planned>& plan, text::Encoding encoding);
    std::vector<Planned> Unchanged() const;
    bool Swap(std::size_t first);
    void RemoveFiles();
    void ReportReadError(const std::string& path);
    void ReportWriteError(const std::string& path);

    Platform& m_platform;
    View& m_view;
    std::string m_dataFile, m_workingFile, m_scratchFile;
    bool m_open = false;
    bool m_broken = false;
    text::Encoding m_encoding = text::Encoding::Cp932;
    datafile::Stamp m_stamp;
    std::uint64_t m_bodyBegin = 0;   // after the byte-order mark
    std::uint64_t m_preambleEnd = 0; // where the first block starts
    std::vector<Block> m_blocks;
    std::vector<std::string> m_names;
};

} // namespace tavolin::categories
