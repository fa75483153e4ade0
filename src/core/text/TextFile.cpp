#include "core/text/TextFile.h"

#include "core/helpers/SystemError.h"
#include "core/text/Cp932.h"

#include <fstream>
#include <system_error>
#include <type_traits>

namespace tavolin::text {

namespace {

// The encoding a byte-order mark at the start of a file tells, if any.
std::optional<Encoding> MarkIn(std::string_view head) {
    using namespace std::string_view_literals;
    if (head.starts_with(kUtf8Bom))
        return Encoding::Utf8Bom;
    // UTF-32 first: its little-endian mark starts with UTF-16's.
    if (head.starts_with("\xFF\xFE\0\0"sv))
        return Encoding::Utf32Le;
    if (head.starts_with("\0\0\xFE\xFF"sv))
        return Encoding::Utf32Be;
    if (head.starts_with("\xFF\xFE"sv))
        return Encoding::Utf16Le;
    if (head.starts_with("\xFE\xFF"sv))
        return Encoding::Utf16Be;
    return std::nullopt;
}

constexpr std::size_t kLongestMark = 4;

} // namespace

std::string_view EncodingName(Encoding encoding) {
    // In the order of Encoding.
    static constexpr std::string_view kNames[] = {
        "Shift_JIS (CP932)", "UTF-8 (BOM付き)", "UTF-8",    "UTF-16 LE",
        "UTF-16 BE",         "UTF-32 LE",       "UTF-32 BE"};
    return kNames[static_cast<std::size_t>(encoding)];
}

std::string_view MarkOf(Encoding encoding) {
    return encoding == Encoding::Utf8Bom ? kUtf8Bom : std::string_view();
}

void EncodingDetector::Feed(std::string_view bytes) {
    if (m_decided)
        return;
    if (m_head.size() < kLongestMark)
        m_head.append(bytes.substr(0, kLongestMark - m_head.size()));
    // Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
    for (std::size_t i = 0; i < bytes.size() && !m_invalid; ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (m_need > 0) {
            m_invalid = b < m_lowest || b > m_highest;
            --m_need;
            m_lowest = 0x80;
            m_highest = 0xBF;
        } else if (b >= 0x80) {
            m_high = true;
            if (b >= 0xC2 && b <= 0xDF) {
                m_need = 1;
            } else if (b >= 0xE0 && b <= 0xEF) {
                m_need = 2;
                if (b == 0xE0)
                    m_lowest = 0xA0;
                if (b == 0xED)
                    m_highest = 0x9F;
            } else if (b >= 0xF0 && b <= 0xF4) {
                m_need = 3;
                if (b == 0xF0)
                    m_lowest = 0x90;
                if (b == 0xF4)
                    m_highest = 0x8F;
            } else {
                m_invalid = true;
            }
        }
    }
    // A mark is told only once its longest form could have been seen.
    if (m_head.size() < kLongestMark)
        return;
    if (const auto mark = MarkIn(m_head)) {
        m_result = *mark;
        m_decided = true;
    } else if (m_invalid) {
        m_result = Encoding::Cp932;
        m_decided = true;
    }
}

Encoding EncodingDetector::Result() const {
    if (m_decided)
        return m_result;
    if (const auto mark = MarkIn(m_head))
        return *mark;
    return m_high && !m_invalid && m_need == 0 ? Encoding::Utf8 : Encoding::Cp932;
}

bool ReadsBackAs(Encoding written, const EncodingDetector& detector) {
    const Encoding read = detector.Result();
    switch (written) {
    case Encoding::Cp932:
        return read == Encoding::Cp932;
    // Without a byte above 0x7F both encodings read the same text.
    case Encoding::Utf8:
        return read == Encoding::Utf8 || (read == Encoding::Cp932 && !detector.SawHighBytes());
    case Encoding::Utf8Bom:
        return read == Encoding::Utf8Bom;
    default:
        return false;
    }
}

Encoding DetectEncoding(std::string_view fileBytes) {
    EncodingDetector detector;
    detector.Feed(fileBytes);
    return detector.Result();
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
        const std::size_t end = body.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.push_back(body.substr(start));
            break;
        }
        lines.push_back(body.substr(start, end - start));
        start = end + 1;
        if (body[end] == '\r' && start < body.size() && body[start] == '\n')
            ++start;
    }
    return lines;
}

std::string DecodeLine(std::string_view bytes, Encoding encoding) {
    return encoding == Encoding::Cp932 ? DecodeCp932(bytes) : DecodeUtf8(bytes);
}

std::optional<std::string> EncodeLine(std::string_view text, Encoding encoding) {
    return encoding == Encoding::Cp932 ? EncodeCp932(text) : EncodeUtf8(text);
}

TextDocument DecodeText(std::string_view fileBytes) {
    TextDocument doc;
    doc.encoding = DetectEncoding(fileBytes);
    if (!IsOwnEncoding(doc.encoding))
        return doc;
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
        EncodingDetector detector;
        detector.Feed(out);
        if (complete && ReadsBackAs(Encoding::Cp932, detector)) {
            if (chosen)
                *chosen = Encoding::Cp932;
            return out;
        }
        // One character has no code, or the bytes would be read as UTF-8: the whole file
        // goes to UTF-8 with a mark rather than lose or change a character.
        out.clear();
    }
    const auto utf8Text = [&](Encoding utf8) {
        std::string bytes(MarkOf(utf8));
        for (const std::string& line : lines) {
            bytes += EncodeUtf8(line);
            bytes += kLineEnd;
        }
        return bytes;
    };
    Encoding utf8 = preferred == Encoding::Utf8 ? Encoding::Utf8 : Encoding::Utf8Bom;
    out = utf8Text(utf8);
    if (utf8 == Encoding::Utf8) {
        EncodingDetector detector;
        detector.Feed(out);
        if (!ReadsBackAs(Encoding::Utf8, detector))
            out = utf8Text(utf8 = Encoding::Utf8Bom);
    }
    if (chosen)
        *chosen = utf8;
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

FileKind KindAt(const std::string& path) {
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(FsPath(path), ec);
    switch (status.type()) {
    case std::filesystem::file_type::not_found:
        return FileKind::Missing;
    case std::filesystem::file_type::directory:
        return FileKind::Folder;
    case std::filesystem::file_type::regular:
        return FileKind::Regular;
    // Not known (no permission to look): opening it tells what is wrong.
    case std::filesystem::file_type::none:
    case std::filesystem::file_type::unknown:
        return FileKind::Regular;
    default:
        return FileKind::Other;
    }
}

std::string ReadFaultText(FileKind kind) {
    switch (kind) {
    case FileKind::Missing:
        return SystemErrorText(SystemFault::NotFound, {});
    case FileKind::Folder:
        return SystemErrorText(SystemFault::NotRegularFile, "フォルダです");
    case FileKind::Other:
        return SystemErrorText(SystemFault::NotRegularFile,
                               "デバイスや名前付きパイプは読み込みません");
    default:
        return {};
    }
}

std::optional<std::string> ReadFileBytes(const std::string& path) {
    if (KindAt(path) != FileKind::Regular)
        return std::nullopt;
    const std::filesystem::path fsPath = FsPath(path);
    std::error_code ec;
    std::ifstream in(fsPath, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string bytes;
    const auto size = std::filesystem::file_size(fsPath, ec);
    if (!ec)
        bytes.reserve(static_cast<std::size_t>(size));
    // Read to the end whatever the size said: the file may change while it is read.
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

std::string ForeignEncodingMessage(const std::string& what, const std::string& path,
                                   Encoding encoding) {
    return what + "(" + path + ")は " + std::string(EncodingName(encoding)) +
           " で書かれているため、読み込めません。\r\nこのファイルには何も書き込みません。"
           "使うときは Shift_JIS か UTF-8 で保存し直してください。";
}

} // namespace tavolin::text
