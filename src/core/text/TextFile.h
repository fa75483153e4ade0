#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Text files as the program stores them: code page 932, or UTF-8 with or without a byte-order
// mark. Lines end in CR LF when written; CR LF, LF and a lone CR are accepted when reading.
namespace tavolin::text {

enum class Encoding {
    Cp932,   // no byte-order mark, not UTF-8
    Utf8Bom, // starts with EF BB BF
    Utf8,    // no mark, valid UTF-8 with bytes above 0x7F (a file from a modern editor)
    // Files with these marks are not the program's own: they are reported and never written.
    Utf16Le,
    Utf16Be,
    Utf32Le,
    Utf32Be,
};

inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// Whether files of this encoding are read and written by the program.
constexpr bool IsOwnEncoding(Encoding e) {
    return e == Encoding::Cp932 || e == Encoding::Utf8Bom || e == Encoding::Utf8;
}

// The encoding's name as users know it ("UTF-16 LE").
std::string_view EncodingName(Encoding encoding);

// The bytes a file of this encoding starts with: the UTF-8 mark, or nothing.
std::string_view MarkOf(Encoding encoding);

// A file's encoding, told by its byte-order mark; without one, UTF-8 when the bytes are
// valid UTF-8 and hold at least one byte above 0x7F, else code page 932.
Encoding DetectEncoding(std::string_view fileBytes);

// The same, for a file read a piece at a time.
class EncodingDetector {
public:
    void Feed(std::string_view bytes);
    // True once more bytes cannot change the result (a mark, or bytes that are not UTF-8).
    bool Decided() const { return m_decided; }
    Encoding Result() const;
    // Whether a byte above 0x7F was seen (before a decision).
    bool SawHighBytes() const { return m_high; }

private:
    std::string m_head;       // the first bytes, until a mark can be told
    unsigned char m_need = 0; // continuation bytes still owed by the last sequence
    unsigned char m_lowest = 0x80, m_highest = 0xBF; // range of the next continuation byte
    bool m_high = false;                             // a byte above 0x7F was seen
    bool m_invalid = false;                          // bytes that are not UTF-8 were seen
    bool m_decided = false;
    Encoding m_result = Encoding::Cp932;
};

// Whether bytes written in `written`, all fed to `detector`, read back in it (code page 932
// bytes may be valid UTF-8, UTF-8 without a mark may hold bytes that are not).
bool ReadsBackAs(Encoding written, const EncodingDetector& detector);

// The file's bytes after the byte-order mark, if any.
std::string_view BodyOf(std::string_view fileBytes);

// Splits bytes into lines at CR LF, LF or a lone CR.
std::vector<std::string_view> SplitLines(std::string_view body);

// A text from the file's encoding to UTF-8, and back (nothing for a character code page 932
// has no exact code for).
std::string DecodeLine(std::string_view bytes, Encoding encoding);
std::optional<std::string> EncodeLine(std::string_view text, Encoding encoding);

// A whole text file in memory, decoded.
struct TextDocument {
    Encoding encoding = Encoding::Cp932;
    std::vector<std::string> lines; // UTF-8
};

TextDocument DecodeText(std::string_view fileBytes);

// The file's bytes for these lines, each ended by CR LF, in `preferred` when it holds them
// and reads back as it, else UTF-8 with a mark; `chosen` receives the encoding used.
std::string EncodeText(const std::vector<std::string>& lines, Encoding preferred,
                       Encoding* chosen = nullptr);

// A path given as UTF-8 text, as std::filesystem wants it on every system.
std::filesystem::path FsPath(const std::string& utf8);

// What stands at a path, links followed. Only a regular file is read: a device never ends, a
// named pipe waits for a writer.
enum class FileKind { Missing, Regular, Folder, Other };
FileKind KindAt(const std::string& path);

// Why a file could not be read, in words for a message ("" when it could).
std::string ReadFaultText(FileKind kind);

// The whole content of a regular file, if it can be read.
std::optional<std::string> ReadFileBytes(const std::string& path);

// A text file read and decoded (a foreign encoding with no lines), if it can be read.
std::optional<TextDocument> ReadTextFile(const std::string& path);

// The message for a file (`what`: "データファイル") of a foreign encoding, left as it is.
std::string ForeignEncodingMessage(const std::string& what, const std::string& path,
                                   Encoding encoding);

} // namespace tavolin::text
