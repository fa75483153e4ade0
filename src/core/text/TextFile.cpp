#include "core/text/TextFile.h"

#include "core/text/Cp932.h"

#include <fstream>
#include <system_error>
#include <type_traits>

namespace tavolin::text {

Encoding DetectEncoding(std::string_view fileBytes) {
    return fileBytes.starts_with(kUtf8Bom) ? Encoding::Utf8Bom : Encoding::Cp932;
}

std::string_view BodyOf(std::string_view fileBytes) {
    if (fileBytes.starts_with(kUtf8Bom))
        fileBytes.remove_prefix(kUtf8Bom.size());
    return fileBytes;
}

std::vector<std::string_view> SplitLines(std::string_view body) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < body.size()) {
        const std::size_t lf = body.find('\n', start);
        if (lf == std::string_view::npos) {
            // The last line has no line end; a CR here is part of the line, not a line end.
            lines.push_back(body.substr(start));
            break;
        }
        std::size_t end = lf;
        if (end > start && body[end - 1] == '\r')
            --end;
        lines.push_back(body.substr(start, end - start));
        start = lf + 1;
    }
    return lines;
}

std::string DecodeLine(std::string_view bytes, Encoding encoding) {
    return encoding == Encoding::Utf8Bom ? DecodeUtf8(bytes) : DecodeCp932(bytes);
}

std::optional<std::string> EncodeLine(std::string_view text, Encoding encoding) {
    if (encoding == Encoding::Utf8Bom)
        return EncodeUtf8(text);
    return EncodeCp932(text);
}

TextDocument DecodeText(std::string_view fileBytes) {
    TextDocument doc;
    doc.encoding = DetectEncoding(fileBytes);
    const std::vector<std::string_view> lines = SplitLines(BodyOf(fileBytes));
    doc.lines.reserve(lines.size());
    for (std::string_view line : lines)
        doc.lines.push_back(DecodeLine(line, doc.encoding));
    return doc;
}

std::string EncodeText(const std::vector<std::string>& lines, Encoding preferred,
                       Encoding* chosen) {
    static constexpr std::string_view kLineEnd = "\r\n";
    std::string out;
    if (preferred == Encoding::Cp932) {
        bool complete = true;
        for (const std::string& line : lines) {
            std::optional<std::string> bytes = EncodeCp932(line);
            if (!bytes) {
                complete = false;
                break;
            }
            out += *bytes;
            out += kLineEnd;
        }
        if (complete) {
            if (chosen)
                *chosen = Encoding::Cp932;
            return out;
        }
        // One character has no code: the whole file goes to UTF-8 rather than lose it.
        out.clear();
    }
    out += kUtf8Bom;
    for (const std::string& line : lines) {
        out += EncodeUtf8(line);
        out += kLineEnd;
    }
    if (chosen)
        *chosen = Encoding::Utf8Bom;
    return out;
}

std::filesystem::path FsPath(const std::string& utf8) {
    if constexpr (std::is_same_v<std::filesystem::path::value_type, char>) {
        // A byte-string file system: the name's bytes, with every byte escape turned back
        // into the byte it stands for, so a name that is not UTF-8 still reaches its file.
        return std::filesystem::path(EncodeUtf8(utf8));
    } else {
        // A wide-character file system converts from UTF-8 itself.
        return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
    }
}

std::optional<std::string> ReadFileBytes(const std::string& path) {
    const std::filesystem::path fsPath = FsPath(path);
    std::error_code ec;
    if (std::filesystem::is_directory(fsPath, ec))
        return std::nullopt; // opening would succeed on some systems, reading would not
    std::ifstream in(fsPath, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string bytes;
    const auto size = std::filesystem::file_size(fsPath, ec);
    if (!ec)
        bytes.reserve(static_cast<std::size_t>(size));
    // Read to the end whatever the size said: the file may change while it is read, and
    // some files (devices, /proc) report no size at all.
    char buffer[65536];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0)
        bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
    if (in.bad())
        return std::nullopt;
    return bytes;
}

std::optional<TextDocument> ReadTextFile(const std::string& path) {
    std::optional<std::string> bytes = ReadFileBytes(path);
    if (!bytes)
        return std::nullopt;
    return DecodeText(*bytes);
}

} // namespace tavolin::text
