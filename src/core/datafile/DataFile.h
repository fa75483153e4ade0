#pragma once

#include "core/text/TextFile.h"

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavolin {
class FileReplacement;
class Platform;
class View;
} // namespace tavolin

// The button data file as bytes: the one reader and the one writer that the launcher's page,
// the options dialog's list and the category editor share. "[name]" opens a category, "{"
// starts a comment, "page:number=value" is a button; any other line is kept as it is. Lines
// end at CR LF, LF or a lone CR and are written with CR LF. The file is written in the
// encoding it was read in unless that cannot hold what is written or would read back as
// another. In memory, texts are UTF-8 where the file's bytes are characters and those bytes
// where they are not: a path reads back as the bytes the file system gave.
namespace tavolin::datafile {

// The default category, which a new data file holds alone.
inline const std::string kDefaultCategory = "無題カテゴリ";

// A button line to text and back. A byte that is no character stays that byte; encoding gives
// nothing when code page 932 cannot hold the text so that it reads back the same.
std::string Decode(std::string_view line, text::Encoding encoding);
std::optional<std::string> Encode(std::string_view text, text::Encoding encoding);

// The category a raw line opens: the line without its first and last byte (whatever that last
// byte is: "]" can be a code page 932 trail byte), decoded; nothing unless it starts with "[".
std::optional<std::string> CategoryLineName(std::string_view line, text::Encoding encoding);
// The line that opens the category `name`; nothing when the encoding cannot hold it.
std::optional<std::string> CategoryLine(const std::string& name, text::Encoding encoding);

// The raw page key (up to the first ":") and number (up to the first "=") of a button line;
// the separators are never a code page 932 trail byte.
std::string_view RawKeyPart(std::string_view line);
std::string_view RawNumberPart(std::string_view line);

// A button line's number: a decimal int with an optional sign, nothing for anything else.
std::optional<int> DecimalNumber(std::string_view text);

// The file as it stood when it was read: a dialog holding its own copy checks it before
// writing, so that lines someone else added meanwhile are never written over.
struct Stamp {
    bool exists = false;
    std::uint64_t size = 0;
    std::int64_t modified = 0; // the file system's time stamp, in its own units
    std::uint64_t hash = 0;    // of every byte

    friend bool operator==(const Stamp&, const Stamp&) = default;
};

// Hashes bytes fed a piece at a time; how they are cut into pieces does not change the value.
class Hasher {
public:
    void Feed(std::string_view bytes);
    std::uint64_t Value() const;

private:
    // Eight lanes of eight bytes, mixed side by side: enough independent work for the
    // processor to hash as fast as it reads.
    static constexpr std::size_t kLanes = 8, kBlock = 8 * kLanes;
    static void Mix(std::uint64_t (&lanes)[kLanes], const char* block);

    std::uint64_t m_lanes[kLanes] = {
        0x243F6A8885A308D3ULL, 0x13198A2E03707344ULL, 0xA4093822299F31D0ULL, 0x082EFA98EC4E6C89ULL,
        0x452821E638D01377ULL, 0xBE5466CF34E90C6CULL, 0xC0AC29B7C97C50DDULL, 0x3F84D5B5B5470917ULL};
    char m_held[kBlock] = {};
    std::size_t m_heldCount = 0;
};

struct ReadOptions {
    bool stamped = false; // takes the file's identity as it reads (FileStamp)
    // Tells whether the file is UTF-8 only at its end, for a reader that decodes nothing
    // before then: a file that starts with ASCII is then read once, not twice.
    bool encodingAtEnd = false;
    // Receives every byte as it is read, the mark included, in large pieces.
    std::function<void(std::string_view)> copyTo = nullptr;
};

// Reads the file a large piece at a time, never holding it whole. The encoding is told before
// the first line (a file whose first piece is ASCII is read once beforehand to tell whether it
// is UTF-8); the mark is not part of the first line. A foreign encoding reads as no lines.
class Reader {
public:
    // Bytes asked of the file at a time.
    static constexpr std::size_t kPiece = std::size_t{1} << 20;
    // A longer line is not a line of a data file: reading stops rather than hold it.
    static constexpr std::size_t kLongestLine = std::size_t{16} << 20;

    explicit Reader(const std::string& path, ReadOptions options = {});

    // With encodingAtEnd, whether it is UTF-8 is final once every line has been read.
    text::Encoding FileEncoding() const { return m_late ? m_detector.Result() : m_encoding; }
    // True when the file could not be opened, a read failed part way, or a line was too long.
    bool Failed() const { return m_failed; }
    // Why reading failed, in words for a message ("" when nothing more can be said).
    std::string FailureText() const;
    // The file as this stamped reader found it; whole once every line has been read.
    Stamp FileStamp() const;

    // The next line without its line end, valid until the next call.
    bool Next(std::string_view& line);
    // Where in the file the next line starts.
    std::uint64_t Offset() const { return m_size - (m_end - m_pos); }

    // Whole lines with their line ends before the next category line, a buffer's worth at
    // most, valid until the next call: one scan instead of a step per line. False, with
    // nothing consumed, at a category line or the end.
    bool NextRun(std::string_view& run);

    // Passes over every line up to the next category line.
    void SkipToCategoryLine();

private:
    bool ReadMore();
    void Fill();

    std::ifstream m_in;
    std::string m_buffer;
    std::size_t m_pos = 0;
    std::size_t m_end = 0;
    std::uint64_t m_size = 0; // bytes read so far
    std::int64_t m_modified = 0;
    Hasher m_hasher;
    text::EncodingDetector m_detector; // with encodingAtEnd, fed as the file is read
    bool m_stamped = false;
    std::function<void(std::string_view)> m_copyTo;
    bool m_late = false;
    bool m_eof = false;
    bool m_failed = false;
    bool m_tooLong = false;
    text::Encoding m_encoding = text::Encoding::Cp932;
};

// The data file opened by a dialog that edits its own copy (a missing one is first created
// with the default category alone); nothing, after telling the user, when it cannot be made,
// is no regular file or is of a foreign encoding.
std::unique_ptr<Reader> OpenToEdit(Platform& platform, View& view, const std::string& path,
                                   ReadOptions options);

// The stamp a stamped reader takes, with one read of the file.
Stamp StampOf(const std::string& path);

// At OK of a dialog holding its own copy: when the file is no longer as `stamp` says, nothing
// may be written and the user chooses to read it again (はい: Reload) or stay (いいえ: Keep).
enum class Unchanged { Yes, Reload, Keep };
Unchanged CheckUnchanged(View& view, const std::string& path, const Stamp& stamp);

// A new data file being written in `output`, from lines read in `source` and composed texts.
class Writer {
public:
    // `atStart`: the writer begins the file, with the output's byte-order mark; otherwise it
    // adds to a file already begun.
    Writer(FileReplacement& file, text::Encoding source, text::Encoding output,
           bool atStart = true);
    ~Writer();
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    text::Encoding Output() const { return m_output; }
    // A line as read (without its line end), re-encoded when the output differs.
    void Line(std::string_view raw);
    // Whole lines with their line ends as read (copied as they stand when they can be).
    void Run(std::string_view run);
    // Bytes as they stand, when nothing is re-encoded (the source is the output).
    void Bytes(std::string_view bytes);
    // A composed button line and category line; they must be encodable (see OutputFor).
    void Text(std::string_view text);
    void Category(const std::string& name);
    // Hands what is still held to the file and the detector.
    void Flush();
    const text::EncodingDetector& Written() const { return m_written; }

private:
    void Emit(std::string_view bytes);

    FileReplacement& m_file;
    text::Encoding m_source, m_output;
    text::EncodingDetector m_written;
    std::string m_out;
};

// The encoding of a file read in `source` once these composed lines and category names are
// in it: code page 932 becomes UTF-8 with a mark when it cannot hold one of them.
text::Encoding OutputFor(text::Encoding source, const std::vector<std::string>& values,
                         const std::vector<std::string>& names = {});

// Writes the file's new content, not yet in place: `produce` hands every line to the writer
// (false when its own reading failed and it has told the user). When the bytes would read back
// as another encoding it runs again writing UTF-8 with a mark. Nothing, with `error` saying why
// (empty when `produce` failed), when it could not be written.
struct Prepared {
    std::unique_ptr<FileReplacement> file;
    text::Encoding encoding = text::Encoding::Cp932;
};
std::optional<Prepared> Prepare(Platform& platform, const std::string& path, text::Encoding source,
                                text::Encoding output, const std::function<bool(Writer&)>& produce,
                                std::string& error);

// Prepare and Commit; the encoding written.
std::optional<text::Encoding> Write(Platform& platform, const std::string& path,
                                    text::Encoding source, text::Encoding output,
                                    const std::function<bool(Writer&)>& produce,
                                    std::string& error);

// Makes a missing data file with the default category alone.
bool CreateDefault(Platform& platform, const std::string& path, std::string& error);

// The messages of the data file's failures.
std::string ReadFailure(const std::string& path, const std::string& reason = {});
std::string WriteFailure(const std::string& path, const std::string& error);
std::string CreateFailure(const std::string& path, const std::string& error);

} // namespace tavolin::datafile
