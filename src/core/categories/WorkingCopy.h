#pragma once

#include "core/datafile/DataFile.h"
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

// The category editor's model: a working copy of the button data file in which categories
// are added, renamed, deleted and reordered, committed to the data file at the end.
namespace tavolin::categories {

// The category editor's working copy of the data file.
//
// Open copies the data file to the working file. Every command writes the new working file
// as the scratch file and renames it over the working file, and changes the name list only
// when that worked; a move, which only swaps two blocks, rewrites just those in place. Commit puts
// the working file in place of the data file through the platform's atomic replacement; Close, and
// the destructor, remove the working file. The working and scratch files are the editor's alone and
// thrown away after a crash, so they are not flushed to disk; the data file is only ever replaced
// whole.
//
// The file is seen as blocks: a block is a category line (a line whose first byte is "[")
// and every line up to the next category line. Lines before the first category line stay at
// the top. Commands work on blocks by their position, so two categories of the same name are
// two blocks, and the bytes of every block are copied as they are: only a renamed category
// line is written anew. Of the file only the names and the places of the blocks stay in
// memory; a move reads the two blocks it swaps, the other commands stream.
class WorkingCopy {
public:
    WorkingCopy(Platform& platform, View& view, std::string dataFile, std::string workingFile,
                std::string scratchFile);
    ~WorkingCopy();
    WorkingCopy(const WorkingCopy&) = delete;
    WorkingCopy& operator=(const WorkingCopy&) = delete;

    // Reads the category names in one pass and makes the working file, under the hourglass.
    // A missing data file is first created with the default category alone; a working file
    // left over from an earlier run is replaced. False, after telling the user, when the data
    // file cannot be read or the working file cannot be written.
    bool Open();

    // The category names in file order (empty when the file has no category line).
    const std::vector<std::string>& Names() const { return m_names; }

    // Each command returns whether it changed the list (and the working file). An empty
    // name or one that is already listed changes nothing and says nothing; a name with a line
    // break or a NUL, which the file cannot hold, is refused with a message.
    //
    // A new category with an empty block at the end of the file.
    bool Add(const std::string& name);
    // The category at `index` takes `name`; its block stays as it is.
    bool Rename(std::size_t index, const std::string& name);
    // Asks the user, then removes the category at `index` with its block.
    bool Delete(std::size_t index);
    // Swaps the block at `index` with the one before or after it.
    bool MoveUp(std::size_t index);
    bool MoveDown(std::size_t index);

    // Replaces the data file with the working file, atomically, under the hourglass. False,
    // after telling the user why, when it could not; the data file is then unchanged.
    bool Commit();

    // Before Commit: whether the data file is still as Open read it. When someone else wrote
    // it meanwhile, the user is asked; on Reload the working copy has been made again from
    // the file as it is now, on Keep it stays as it is. Either way nothing may be written now.
    datafile::Unchanged Recheck();

    // Removes the working and scratch files. Commands do nothing after it.
    void Close();

private:
    // Where a block lies in the working file. Blocks follow each other without a gap.
    struct Block {
        std::uint64_t begin = 0; // the category line
        std::uint64_t body = 0;  // the line after it
        std::uint64_t end = 0;   // the next block, or the end of the file
    };
    // One block of the new working file: an old block as it is, or with a new category line
    // for `name`, or a new empty block (no source) for `name`.
    struct Planned {
        std::optional<std::size_t> source;
        std::optional<std::string> name;
    };

    // Whether commands may run: open, and the working file whole (after a failed move it may
    // not be, which is then said again).
    bool Usable();
    enum class NameCheck { Accepted, Ignored, Refused };
    NameCheck Check(const std::string& name) const;
    // The file's encoding once `name` is in it: code page 932 turns into UTF-8 when the name
    // has a character that code page 932 cannot hold.
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
