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
// the options dialog's list and the category editor share.
//
// Lines: "[name]" opens a category, "{" starts a comment, "page:number=value" is a button of
// the enclosing category, anything else is kept as it is. Lines end at CR LF, LF or a lone CR
// when read and are written with CR LF. The file is code page 932, UTF-8 with a byte-order
// mark, or UTF-8 without one (see text::DetectEncoding); it is written in the encoding it was
// read in, unless that cannot hold what is written or would read back as another encoding.
//
// Texts in memory are UTF-8 where the file's bytes are characters, and the file's own bytes
// where they are not: a path is the bytes the file system gave, valid UTF-8 or not, and reads
// back from the file as those same bytes.
namespace tavolin::datafile {

// The default category, which a new data file holds alone.
inline const std::string kDefaultCategory = "無題カテゴリ";

// --- lines -------------------------------------------------------------------------------

// A button line of the file in `encoding` to text, and back. A button holds a path, which is
// bytes: a byte that is no character of the encoding stays that byte in the text, and text
// that is not UTF-8 is written as its bytes. Decoding never fails; encoding gives nothing when
// code page 932 cannot hold the text so that it reads back the same (a character it lacks,
// or bytes that would read back as characters). UTF-8 holds every text.
std::string Decode(std::string_view line, text::Encoding encoding);
std::optional<std::string> Encode(std::string_view text, text::Encoding encoding);

// The category a raw line opens: the line without its first and last byte (whatever that last
// byte is, so a code page 932 name whose last character has "]" as its trail byte is whole),
// decoded as a name is shown (an undecodable byte as the codec's escape character). Nothing
// when the line does not start with "["; a "[" alone opens the category "".
std::optional<std::string> CategoryLineName(std::string_view line, text::Encoding encoding);
// The line that opens the category `name`; nothing when the encoding cannot hold it.
std::optional<std::string> CategoryLine(const std::string& name, text::Encoding encoding);

// The raw page key (up to the first ":") and number (between it and the first "=") of a
// button line. The separators are ASCII and never the trail byte of a code page 932
// character, so they are found in the bytes.
std::string_view RawKeyPart(std::string_view line);
std::string_view RawNumberPart(std::string_view line);

// A button line's number as a decimal integer with an optional sign; nothing for anything
// else ("x", "", " 3", a number too big for an int).
std::optional<int> DecimalNumber(std::string_view text);

// --- the file's identity -------------------------------------------------------------------

// The file as it stood when it was read: a dialog that holds its own copy of the file checks
// it before writing, so that lines someone else added meanwhile are never written over.
struct Stamp {
    bool exists = false;
    std::uint64_t size = 0;
    std::int64_t modified = 0; // the file system's time stamp, in its own units
    std::uint64_t hash = 0;    // of every byte

    friend bool operator==(const Stamp&, const Stamp&) = default;
};

// Hashes bytes fed a piece at a time, eight at a step; how the bytes are cut into pieces
// does not change the value.
class Hasher {
public:
    void Feed(std::string_view bytes);
    std::uint64_t Value() const;

private:
    static constexpr std::size_t kBlock = 32; // four lanes of eight bytes, mixed side by side
    void Mix(const char* block);

    std::uint64_t m_lanes[4] = {0x243F6A8885A308D3ULL, 0x13198A2E03707344ULL, 0xA4093822299F31D0ULL,
                                0x082EFA98EC4E6C89ULL};
    char m_held[kBlock] = {};
    std::size_t m_heldCount = 0;
};

// The modification time of the file at `path` in the file system's units; 0 when unknown.
std::int64_t ModifiedTime(const std::string& path);

// --- reading -----------------------------------------------------------------------------

struct ReadOptions {
    // Takes the file's identity as it reads (see Reader::FileStamp), for the readers that
    // hold their own copy of the file.
    bool stamped = false;
    // Tells whether the file is UTF-8 only at its end, for a reader that decodes nothing
    // before then: a file that starts with ASCII is then read once, not twice.
    bool encodingAtEnd = false;
};

// Reads the file a large piece at a time, so that it is never held whole. The encoding is told
// before the first line (a file of ASCII alone for its first piece is read once beforehand to
// tell whether it is UTF-8); the byte-order mark is not part of the first line. A file of a
// foreign encoding (UTF-16, UTF-32) reads as no lines.
class Reader {
public:
    // A longer line is not a line of a data file: reading stops rather than hold it.
    static constexpr std::size_t kLongestLine = std::size_t{16} << 20;

    explicit Reader(const std::string& path, ReadOptions options = {});

    // The file's encoding; with encodingAtEnd, whether it is UTF-8 is final once every line
    // has been read (a byte-order mark is told at once).
    text::Encoding FileEncoding() const { return m_late ? m_detector.Result() : m_encoding; }
    // True when the file could not be opened, a read failed part way, or a line was too long.
    bool Failed() const { return m_failed; }
    // Why reading failed, in words for a message ("" when nothing more can be said).
    std::string FailureText() const;
    // The file as this stamped reader found it; whole once every line has been read.
    Stamp FileStamp() const;

    // The next line without its line end, valid until the next call; `whole`, when given,
    // receives it with its line end. False at the end of the file.
    bool Next(std::string_view& line, std::string_view* whole = nullptr);

    // Whole lines with their line ends before the next line that starts with "[", a buffer's
    // worth at most; valid until the next call. False, with nothing consumed, when the next
    // line is a category line or the file has ended. The readers that pass over other
    // categories use it to skip a run with one scan instead of a step per line.
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
    bool m_late = false;
    bool m_eof = false;
    bool m_failed = false;
    bool m_tooLong = false;
    text::Encoding m_encoding = text::Encoding::Cp932;
};

// What a reader found in the way of reading the file at `path`, for the readers that look
// before they open: "" when the file is regular (or missing), else why it is not read.
std::string NotReadable(const std::string& path);

// One look at the file (its size and time) and one read of its bytes.
Stamp StampOf(const std::string& path);

// What a dialog holding its own copy of the file does at OK when the file is no longer as
// `stamp` says: nothing is written, and the user is asked whether to read the file again
// (はい: Reload) or keep the dialog's edits and stay (いいえ: Keep).
enum class Unchanged { Yes, Reload, Keep };
Unchanged CheckUnchanged(View& view, const std::string& path, const Stamp& stamp);

// --- writing -----------------------------------------------------------------------------

// A new data file being written in `output`, from lines read in `source` and composed texts.
class Writer {
public:
    Writer(FileReplacement& file, text::Encoding source, text::Encoding output);
    ~Writer();
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    text::Encoding Output() const { return m_output; }
    // A line as read (without its line end), re-encoded when the output differs.
    void Line(std::string_view raw);
    // Whole lines with their line ends as read: copied as they stand when every line ends in
    // CR LF and nothing is re-encoded, else line by line.
    void Run(std::string_view run);
    // Bytes as they stand, when nothing is re-encoded (the source is the output).
    void Bytes(std::string_view bytes);
    // A composed button line; it must be encodable in the output (see OutputFor).
    void Text(std::string_view text);
    // A composed category line for `name`, likewise.
    void Category(const std::string& name);
    // Hands what is still held to the file; the detector has then seen every byte.
    void Flush();
    const text::EncodingDetector& Written() const { return m_written; }

private:
    void Emit(std::string_view bytes);

    FileReplacement& m_file;
    text::Encoding m_source, m_output;
    text::EncodingDetector m_written;
    std::string m_out;
};

// The encoding of a file read in `source` once these composed button lines and category names
// are in it: code page 932 becomes UTF-8 with a byte-order mark when it cannot hold one of
// them; the others stay.
text::Encoding OutputFor(text::Encoding source, const std::vector<std::string>& values,
                         const std::vector<std::string>& names = {});

// Writes the file's whole new content: `produce` hands every line to the writer (false when
// its own reading failed; it has then told the user). When the bytes would read back as
// another encoding (code page 932 that happens to be UTF-8, UTF-8 without a mark holding bytes
// that are not UTF-8), it runs again writing UTF-8 with a mark. The result is not yet in
// place: Commit it, or drop it and the old file stays. Nothing, with `error` saying why
// (empty when `produce` failed), when it could not be written.
struct Prepared {
    std::unique_ptr<FileReplacement> file;
    text::Encoding encoding = text::Encoding::Cp932;
};
std::optional<Prepared> Prepare(Platform& platform, const std::string& path, text::Encoding source,
                                text::Encoding output, const std::function<bool(Writer&)>& produce,
                                std::string& error);

// Prepare and put in place; the encoding written, or nothing with `error` as above.
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
