#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Text files as the program stores them: code page 932, or UTF-8 when the file starts with
// a UTF-8 byte-order mark; lines end in CR LF (LF alone is accepted when reading).
namespace tavolin::text {

enum class Encoding {
    Cp932,   // no byte-order mark
    Utf8Bom, // starts with EF BB BF
};

inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// A file's encoding, told by its first bytes.
Encoding DetectEncoding(std::string_view fileBytes);

// The file's bytes after the byte-order mark, if any.
std::string_view BodyOf(std::string_view fileBytes);

// Splits bytes into lines at LF; a CR right before the LF belongs to the line end. A last
// line without a line end still counts; an empty text has no lines.
std::vector<std::string_view> SplitLines(std::string_view body);

// One line (or any text) from the file's encoding to UTF-8, and back. Encoding to code page
// 932 gives nothing when a character has no exact code; encoding to UTF-8 always succeeds.
std::string DecodeLine(std::string_view bytes, Encoding encoding);
std::optional<std::string> EncodeLine(std::string_view text, Encoding encoding);

// A whole text file in memory, decoded.
struct TextDocument {
    Encoding encoding = Encoding::Cp932;
    std::vector<std::string> lines; // UTF-8
};

TextDocument DecodeText(std::string_view fileBytes);

// The file's bytes for these lines, each ended by CR LF. Code page 932 when `preferred` is
// code page 932 and every character has an exact code there; otherwise UTF-8 with a
// byte-order mark. `chosen`, when given, receives the encoding used.
std::string EncodeText(const std::vector<std::string>& lines, Encoding preferred,
                       Encoding* chosen = nullptr);

// A path given as UTF-8 text, as std::filesystem wants it on every system.
std::filesystem::path FsPath(const std::string& utf8);

// The whole content of a file; nothing when it is missing or cannot be read.
std::optional<std::string> ReadFileBytes(const std::string& path);

// A text file read and decoded; nothing when it is missing or cannot be read.
std::optional<TextDocument> ReadTextFile(const std::string& path);

} // namespace tavolin::text
