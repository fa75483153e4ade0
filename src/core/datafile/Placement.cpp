#include "core/datafile/Placement.h"

#include "core/Platform.h"

#include <fstream>
#include <optional>
#include <string_view>
#include <utility>

namespace tavolin::datafile {

namespace {

using text::Encoding;

// How often a growing file is caught up with before the writer gives up. Each round reads
// only what was added, so a file that pauses even briefly is caught within a few.
constexpr int kRounds = 32;
constexpr int kLockWaitMs = 3000;
constexpr int kSettleMs = 2;
constexpr std::size_t kPiece = 1 << 20;

// The file at a path, compared with what was read of it.
class Watch {
public:
    Watch(const std::string& path, const Stamp& read)
        : m_path(path), m_read(read), m_atLineStart(true) {}

    // The bytes added after what was read, or nothing when the file changed otherwise.
    std::optional<std::string> Added() {
        std::ifstream in(text::FsPath(m_path), std::ios::binary);
        if (!in)
            return m_read.exists ? std::nullopt : std::optional<std::string>(std::string());
        if (!m_read.exists || !StillBegins(in))
            return std::nullopt;
        std::string added;
        std::string piece(kPiece, '\0');
        in.seekg(static_cast<std::streamoff>(m_read.size));
        while (in.read(piece.data(), kPiece).gcount() > 0)
            added.append(piece.data(), static_cast<std::size_t>(in.gcount()));
        if (in.bad())
            return std::nullopt;
        SkipLineFeedOfLastLine(added);
        return added;
    }

    // The bytes the old file held beyond what was read when it lost its name. Where another
    // program appended while the new file was written, it may still be at it: the old file is
    // looked at once more a moment later.
    std::string Late(FileReplacement& file) {
        std::string late = file.ReplacedTail(m_read.size, m_last.empty() ? 0 : kSettleMs);
        SkipLineFeedOfLastLine(late);
        return late;
    }

    // Whether added lines can follow the new file's end as they stand: not when they would
    // continue a last line the writer ended, nor lines of the old file's last section after a
    // section the writer added.
    bool Fits(std::string_view added, bool openEnd) const {
        return m_atLineStart && (openEnd || FirstLine(added) != LineKind::Other);
    }

    // `added` is now part of what was read.
    void Took(std::string added) {
        m_lastAt = m_read.size;
        m_read.size += added.size();
        if (!added.empty()) {
            m_lastByte = added.back();
            m_atLineStart = m_lastByte == '\n' || m_lastByte == '\r';
        }
        m_last = std::move(added);
    }

    std::uint64_t Size() const { return m_read.size; }

    // The first line that is neither blank nor a comment.
    enum class LineKind { None, Category, Other };
    static LineKind FirstLine(std::string_view added) {
        while (!added.empty()) {
            const std::size_t end = added.find_first_of("\r\n");
            const std::string_view line = added.substr(0, end);
            if (!line.empty() && line.front() != '{')
                return line.front() == '[' ? LineKind::Category : LineKind::Other;
            if (end == std::string_view::npos)
                break;
            added.remove_prefix(end + 1);
        }
        return LineKind::None;
    }

private:
    // The first time, every byte that was read is hashed again; after that only the bytes
    // added last are compared.
    // The LF of a CR LF whose CR ended what was read: the new file has both already.
    void SkipLineFeedOfLastLine(std::string& added) {
        if (m_lastByte == '\r' && !added.empty() && added.front() == '\n') {
            added.erase(0, 1);
            ++m_read.size;
            m_lastByte = '\n';
        }
    }

    bool StillBegins(std::ifstream& in) {
        std::string piece(kPiece, '\0');
        if (m_verified) {
            in.seekg(static_cast<std::streamoff>(m_lastAt));
            in.read(piece.data(), static_cast<std::streamsize>(m_last.size()));
            return static_cast<std::size_t>(in.gcount()) == m_last.size() &&
                   std::string_view(piece.data(), m_last.size()) == m_last;
        }
        Hasher hasher;
        std::uint64_t left = m_read.size;
        std::string_view last;
        while (left > 0) {
            const auto want = static_cast<std::streamsize>(std::min<std::uint64_t>(left, kPiece));
            const auto got = static_cast<std::size_t>(in.read(piece.data(), want).gcount());
            if (got == 0)
                return false;
            last = std::string_view(piece.data(), got);
            hasher.Feed(last);
            left -= got;
        }
        if (hasher.Value() != m_read.hash)
            return false;
        m_verified = true;
        if (!last.empty()) {
            m_lastByte = last.back();
            // An unfinished last line was ended by the writer: added bytes would continue it.
            m_atLineStart = m_lastByte == '\n' || m_lastByte == '\r' ||
                            (m_read.size == last.size() && last == text::MarkOf(Encoding::Utf8Bom));
        }
        return true;
    }

    const std::string& m_path;
    Stamp m_read;
    bool m_verified = false;
    bool m_atLineStart;
    char m_lastByte = '\n';
    std::uint64_t m_lastAt = 0;
    std::string m_last; // the bytes added last, at m_lastAt
};

// Collects what a writer writes.
class Collected final : public FileReplacement {
public:
    bool Write(std::string_view bytes) override {
        m_bytes += bytes;
        return true;
    }
    bool Commit(std::string&) override { return false; }
    std::string Take() { return std::move(m_bytes); }

private:
    std::string m_bytes;
};

// Added lines as the new file spells them: as they stand when it keeps the old file's
// encoding, else each line encoded anew (an unfinished last line as a line of its own).
std::string Recoded(std::string_view added, Encoding source, Encoding output) {
    if (source == output)
        return std::string(added);
    Collected collected;
    Writer writer(collected, source, output, false);
    const std::size_t end = added.find_last_of("\r\n");
    const std::size_t whole = end == std::string_view::npos ? 0 : end + 1;
    writer.Run(added.substr(0, whole));
    if (whole < added.size())
        writer.Line(added.substr(whole));
    writer.Flush();
    return collected.Take();
}

} // namespace

std::unique_ptr<HeldLock> LockForWriting(Platform& platform, const std::string& path) {
    return platform.LockExclusive(path + ".lock", kLockWaitMs);
}

Placed Place(const std::string& path, Prepared& prepared, Encoding source, const Basis& basis,
             std::string& error) {
    Watch watch(path, basis.read);
    bool openEnd = basis.openEnd;
    for (int round = 0; round < kRounds; ++round) {
        std::optional<std::string> added = watch.Added();
        if (!added)
            return Placed::Changed;
        if (added->empty()) {
            if (!prepared.file->Commit(error))
                return Placed::Failed;
            // Lines that reached the old file between the last look and the replacement go
            // to the end of the new one: kept, even where they would have belonged elsewhere.
            if (const std::string late = watch.Late(*prepared.file); !late.empty()) {
                std::string ignored; // the new file is in place whatever happens to them
                prepared.file->Append(Recoded(late, source, prepared.encoding), ignored);
            }
            return Placed::Done;
        }
        if (!watch.Fits(*added, openEnd))
            return Placed::Changed;
        prepared.file->Write(Recoded(*added, source, prepared.encoding));
        openEnd = openEnd || Watch::FirstLine(*added) == Watch::LineKind::Category;
        watch.Took(std::move(*added));
    }
    error = kKeptChanging;
    return Placed::Failed;
}

} // namespace tavolin::datafile
