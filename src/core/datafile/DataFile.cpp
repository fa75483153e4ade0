#include "core/datafile/DataFile.h"

#include "core/Platform.h"
#include "core/helpers/MessageBox.h"
#include "core/text/Cp932.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace tavolin::datafile {

namespace {

using text::Encoding;

constexpr std::size_t kChunk = Reader::kPiece;

// Whether a run of whole lines has a line that does not end in CR LF (a LF or a CR alone).
// Written as one pass without branches, so that the compiler can do it many bytes at a time.
bool HasBareLineEnd(std::string_view run) {
    if (run.empty())
        return false;
    const auto* p = reinterpret_cast<const unsigned char*>(run.data());
    const std::size_t last = run.size() - 1;
    unsigned char bad = static_cast<unsigned char>((p[0] == '\n') | (p[last] == '\r'));
    for (std::size_t i = 1; i <= last; ++i) {
        const unsigned char lfAlone =
            static_cast<unsigned char>((p[i] == '\n') & (p[i - 1] != '\r'));
        const unsigned char crAlone =
            static_cast<unsigned char>((p[i - 1] == '\r') & (p[i] != '\n'));
        bad |= static_cast<unsigned char>(lfAlone | crAlone);
    }
    return bad != 0;
}

// The file system's time stamp, in its own units; 0 when unknown.
std::int64_t ModifiedTime(const std::string& path) {
    std::error_code ec;
    const auto time = std::filesystem::last_write_time(text::FsPath(path), ec);
    return ec ? 0 : static_cast<std::int64_t>(time.time_since_epoch().count());
}

bool IsAscii(std::string_view s) {
    return std::all_of(s.begin(), s.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

} // namespace

std::string Decode(std::string_view line, Encoding encoding) {
    if (encoding != Encoding::Cp932 || IsAscii(line))
        return std::string(line);
    // The codec escapes the bytes it cannot decode; in memory they are those bytes again.
    return text::EncodeUtf8(text::DecodeCp932(line));
}

std::optional<std::string> Encode(std::string_view text, Encoding encoding) {
    if (encoding != Encoding::Cp932 || IsAscii(text))
        return std::string(text);
    // The bytes that are not UTF-8 go out as they are (DecodeUtf8 escapes them, EncodeCp932
    // turns the escapes back); the text is code page 932's when those bytes read back as it.
    auto bytes = text::EncodeCp932(text::DecodeUtf8(text));
    if (!bytes || Decode(*bytes, Encoding::Cp932) != text)
        return std::nullopt;
    return bytes;
}

std::optional<std::string> CategoryLineName(std::string_view line, Encoding encoding) {
    if (line.empty() || line.front() != '[')
        return std::nullopt;
    if (line.size() < 2)
        return std::string();
    return text::DecodeLine(line.substr(1, line.size() - 2), encoding);
}

std::optional<std::string> CategoryLine(const std::string& name, Encoding encoding) {
    return text::EncodeLine("[" + name + "]", encoding);
}

std::string_view RawKeyPart(std::string_view line) {
    const auto colon = line.find(':');
    return colon == std::string_view::npos ? std::string_view() : line.substr(0, colon);
}

std::string_view RawNumberPart(std::string_view line) {
    const auto colon = line.find(':');
    const auto equals = line.find('=');
    if (colon == std::string_view::npos || equals == std::string_view::npos || equals < colon)
        return {};
    return line.substr(colon + 1, equals - colon - 1);
}

std::optional<int> DecimalNumber(std::string_view text) {
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-')
            return std::nullopt;
    }
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

Reader::Reader(const std::string& path, ReadOptions options)
    : m_in(text::FsPath(path), std::ios::binary),
      m_modified(options.stamped ? ModifiedTime(path) : 0), m_stamped(options.stamped),
      m_copyTo(std::move(options.copyTo)), m_late(options.encodingAtEnd) {
    if (!m_in) {
        m_failed = true;
        return;
    }
    m_buffer.resize(kChunk);
    Fill();
    // With encodingAtEnd the first piece tells a byte-order mark and the detector goes on as
    // the file is read; otherwise whether the file is UTF-8 is told first, from all of it.
    text::EncodingDetector detector;
    if (!m_late) {
        detector.Feed(std::string_view(m_buffer.data(), m_end));
        if (!detector.Decided() && !m_eof) {
            std::ifstream rest(text::FsPath(path), std::ios::binary);
            rest.seekg(static_cast<std::streamoff>(m_end));
            std::string piece(kChunk, '\0');
            while (!detector.Decided() && rest.read(piece.data(), kChunk).gcount() > 0)
                detector.Feed(
                    std::string_view(piece.data(), static_cast<std::size_t>(rest.gcount())));
        }
    }
    m_encoding = (m_late ? m_detector : detector).Result();
    m_pos = text::MarkOf(m_encoding).size();
    if (!text::IsOwnEncoding(m_encoding)) {
        m_pos = m_end;
        m_eof = true;
    }
}

std::string Reader::FailureText() const {
    return m_tooLong ? "16 MiB を超える長さの行があります。" : "";
}

bool Reader::Next(std::string_view& line) {
    for (;;) {
        const char* begin = m_buffer.data() + m_pos;
        const std::size_t available = m_end - m_pos;
        const auto* lf = static_cast<const char*>(std::memchr(begin, '\n', available));
        const std::size_t length = lf != nullptr ? static_cast<std::size_t>(lf - begin) : available;
        const auto* cr = static_cast<const char*>(std::memchr(begin, '\r', length));
        std::size_t lineLength = 0;
        if (cr != nullptr) {
            // A CR ends the line; whether a LF follows it may take another read.
            const auto at = static_cast<std::size_t>(cr - begin);
            if (!(at + 1 < available || m_eof || m_failed)) {
                if (!ReadMore())
                    return false;
                continue;
            }
            lineLength = at;
            m_pos += at + 1;
            if (at + 1 < available && cr[1] == '\n')
                ++m_pos;
        } else if (lf != nullptr) {
            lineLength = length;
            m_pos += length + 1;
        } else if (m_eof || m_failed) {
            if (available == 0)
                return false;
            lineLength = available;
            m_pos = m_end;
        } else {
            if (!ReadMore())
                return false;
            continue;
        }
        line = std::string_view(begin, lineLength);
        return true;
    }
}

bool Reader::NextRun(std::string_view& run) {
    for (;;) {
        const char* begin = m_buffer.data() + m_pos;
        const std::size_t available = m_end - m_pos;
        if (available > 0 && *begin == '[')
            return false;
        // Each scan starts at a line start, so a "[" right after a line end starts a line.
        const char* from = begin;
        std::size_t left = available;
        while (left > 0) {
            const auto* bracket = static_cast<const char*>(std::memchr(from, '[', left));
            if (bracket == nullptr)
                break;
            if (bracket[-1] == '\n' || bracket[-1] == '\r') {
                const auto length = static_cast<std::size_t>(bracket - begin);
                run = std::string_view(begin, length);
                m_pos += length;
                return true;
            }
            left -= static_cast<std::size_t>(bracket + 1 - from);
            from = bracket + 1;
        }
        if (m_eof || m_failed) {
            if (available == 0)
                return false;
            run = std::string_view(begin, available);
            m_pos = m_end;
            return true;
        }
        // Up to the last line end; a CR at the very end waits for the read that tells
        // whether a LF follows it. (Nothing is left when the last run ended the read.)
        const std::string_view text(begin, available);
        std::size_t last = text.find_last_of("\r\n");
        if (last != std::string_view::npos && last == available - 1 && text[last] == '\r')
            last = last == 0 ? std::string_view::npos : text.find_last_of("\r\n", last - 1);
        if (last != std::string_view::npos) {
            run = std::string_view(begin, last + 1);
            m_pos += last + 1;
            return true;
        }
        if (!ReadMore())
            return false;
    }
}

void Reader::SkipToCategoryLine() {
    std::string_view run;
    while (NextRun(run)) {
    }
}

// Keeps the unfinished line, makes room (a long line grows the buffer, up to the longest
// line) and reads on. False when the line is too long.
bool Reader::ReadMore() {
    const std::size_t rest = m_end - m_pos;
    std::memmove(m_buffer.data(), m_buffer.data() + m_pos, rest);
    m_pos = 0;
    m_end = rest;
    if (m_buffer.size() - m_end < kChunk / 2) {
        if (m_buffer.size() >= kLongestLine) {
            m_failed = m_tooLong = true;
            m_end = 0;
            return false;
        }
        m_buffer.resize(std::min(m_buffer.size() * 2, kLongestLine));
    }
    Fill();
    return true;
}

Stamp Reader::FileStamp() const {
    return Stamp{!m_failed, m_size, m_modified, m_hasher.Value()};
}

void Reader::Fill() {
    m_in.read(m_buffer.data() + m_end, static_cast<std::streamsize>(m_buffer.size() - m_end));
    const auto got = static_cast<std::size_t>(m_in.gcount());
    const std::string_view piece(m_buffer.data() + m_end, got);
    if (m_stamped)
        m_hasher.Feed(piece);
    if (m_copyTo && got > 0)
        m_copyTo(piece);
    if (m_late && !m_detector.Decided())
        m_detector.Feed(piece);
    m_size += got;
    m_end += got;
    if (m_in.eof()) {
        m_eof = true;
    } else if (!m_in) {
        m_failed = true;
    }
}

std::unique_ptr<Reader> OpenToEdit(Platform& platform, View& view, const std::string& path,
                                   ReadOptions options) {
    std::string error;
    const text::FileKind kind = text::KindAt(path);
    if (kind == text::FileKind::Missing && !CreateDefault(platform, path, error)) {
        ShowError(view, CreateFailure(path, error));
        return nullptr;
    }
    // Only a regular file is opened: a named pipe would wait for a writer, a device never end.
    if (kind != text::FileKind::Missing && kind != text::FileKind::Regular) {
        ShowError(view, ReadFailure(path, text::ReadFaultText(kind)));
        return nullptr;
    }
    auto reader = std::make_unique<Reader>(path, std::move(options));
    if (!text::IsOwnEncoding(reader->FileEncoding())) {
        ShowError(view,
                  text::ForeignEncodingMessage("データファイル", path, reader->FileEncoding()));
        return nullptr;
    }
    return reader;
}

void Hasher::Mix(std::uint64_t (&lanes)[kLanes], const char* block) {
    for (std::size_t lane = 0; lane < kLanes; ++lane) {
        std::uint64_t word = 0;
        std::memcpy(&word, block + 8 * lane, sizeof word);
        // Cheap on purpose (it runs over every byte of a file being read): a change of any
        // byte changes its lane, and the lanes are mixed thoroughly once, in Value.
        lanes[lane] = std::rotl(lanes[lane] ^ word, 23) + word;
    }
}

void Hasher::Feed(std::string_view bytes) {
    if (m_heldCount > 0) {
        const std::size_t take = std::min(bytes.size(), kBlock - m_heldCount);
        std::memcpy(m_held + m_heldCount, bytes.data(), take);
        m_heldCount += take;
        bytes.remove_prefix(take);
        if (m_heldCount < kBlock)
            return;
        Mix(m_lanes, m_held);
        m_heldCount = 0;
    }
    // The lanes stay in registers: in the member they would be stored at every block, as the
    // bytes could overlap them.
    std::uint64_t lanes[kLanes];
    std::memcpy(lanes, m_lanes, sizeof lanes);
    for (; bytes.size() >= kBlock; bytes.remove_prefix(kBlock))
        Mix(lanes, bytes.data());
    std::memcpy(m_lanes, lanes, sizeof lanes);
    std::memcpy(m_held, bytes.data(), bytes.size());
    m_heldCount = bytes.size();
}

std::uint64_t Hasher::Value() const {
    Hasher last = *this;
    std::memset(last.m_held + m_heldCount, 0, kBlock - m_heldCount);
    Mix(last.m_lanes, last.m_held);
    std::uint64_t value = m_heldCount;
    for (const std::uint64_t lane : last.m_lanes)
        value = (value ^ lane) * 0x9E3779B97F4A7C15ULL;
    return value;
}

Stamp StampOf(const std::string& path) {
    if (text::KindAt(path) != text::FileKind::Regular)
        return {};
    // The stamp the dialogs' readers took, taken the same way.
    Reader reader(path, {.stamped = true, .encodingAtEnd = true});
    std::string_view line;
    do {
        reader.SkipToCategoryLine();
    } while (reader.Next(line));
    return reader.FileStamp();
}

Unchanged CheckUnchanged(View& view, const std::string& path, const Stamp& stamp) {
    if (StampOf(path) == stamp)
        return Unchanged::Yes;
    const MsgResult answer = ShowMessageBox(
        view,
        "データファイルは、このダイアログを開いた後でほかのプログラムに変更されました。\r\n"
        "変更されたファイルを読み込み直しますか？（このダイアログでの変更は失われます）",
        MsgKind::Confirmation, msg_buttons::kYesNo);
    return answer == MsgResult::Yes ? Unchanged::Reload : Unchanged::Keep;
}

Writer::Writer(FileReplacement& file, Encoding source, Encoding output, bool atStart)
    : m_file(file), m_source(source), m_output(output) {
    m_out.reserve(kChunk + kChunk / 8);
    if (atStart)
        m_out += text::MarkOf(output);
}

Writer::~Writer() = default;

void Writer::Emit(std::string_view bytes) {
    m_written.Feed(bytes);
    m_file.Write(bytes);
}

void Writer::Flush() {
    if (!m_out.empty()) {
        Emit(m_out);
        m_out.clear();
    }
}

void Writer::Line(std::string_view raw) {
    if (m_source == m_output) {
        m_out += raw;
    } else {
        // Code page 932 is only ever left for UTF-8, which holds every text.
        m_out += *Encode(Decode(raw, m_source), m_output);
    }
    m_out += "\r\n";
    if (m_out.size() >= kChunk)
        Flush();
}

void Writer::Run(std::string_view run) {
    if (run.empty())
        return;
    if (m_source == m_output && run.back() == '\n' && !HasBareLineEnd(run)) {
        Bytes(run);
        return;
    }
    for (const auto line : text::SplitLines(run))
        Line(line);
}

void Writer::Bytes(std::string_view bytes) {
    Flush();
    Emit(bytes);
}

void Writer::Text(std::string_view text) {
    m_out += *Encode(text, m_output);
    m_out += "\r\n";
    if (m_out.size() >= kChunk)
        Flush();
}

void Writer::Category(const std::string& name) {
    m_out += *CategoryLine(name, m_output);
    m_out += "\r\n";
}

Encoding OutputFor(Encoding source, const std::vector<std::string>& values,
                   const std::vector<std::string>& names) {
    if (source != Encoding::Cp932)
        return source;
    const auto value = [](const std::string& t) { return Encode(t, Encoding::Cp932).has_value(); };
    const auto name = [](const std::string& n) {
        return CategoryLine(n, Encoding::Cp932).has_value();
    };
    const bool fits = std::all_of(values.begin(), values.end(), value) &&
                      std::all_of(names.begin(), names.end(), name);
    return fits ? Encoding::Cp932 : Encoding::Utf8Bom;
}

std::optional<Prepared> Prepare(Platform& platform, const std::string& path, Encoding source,
                                Encoding output, const std::function<bool(Writer&)>& produce,
                                std::string& error) {
    for (;;) {
        auto file = platform.BeginReplaceFile(path, error);
        if (!file)
            return std::nullopt;
        Writer writer(*file, source, output);
        if (!produce(writer)) {
            error.clear();
            return std::nullopt;
        }
        writer.Flush();
        if (text::ReadsBackAs(output, writer.Written()) || output == Encoding::Utf8Bom)
            return Prepared{std::move(file), output};
        // Dropping the replacement removes its temporary file.
        output = Encoding::Utf8Bom;
    }
}

std::optional<Encoding> Write(Platform& platform, const std::string& path, Encoding source,
                              Encoding output, const std::function<bool(Writer&)>& produce,
                              std::string& error) {
    auto prepared = Prepare(platform, path, source, output, produce, error);
    if (!prepared || !prepared->file->Commit(error))
        return std::nullopt;
    return prepared->encoding;
}

bool CreateDefault(Platform& platform, const std::string& path, std::string& error) {
    return platform.ReplaceFile(path, *CategoryLine(kDefaultCategory, Encoding::Cp932) + "\r\n",
                                error);
}

std::string ReadFailure(const std::string& path, const std::string& reason) {
    return "データファイル(" + path + ")を読み込めませんでした。" +
           (reason.empty() ? "" : "\r\n" + reason);
}

std::string WriteFailure(const std::string& path, const std::string& error) {
    return "データファイル(" + path + ")に書き込めませんでした。\r\n" + error +
           "\r\n元のファイルは変更されていません。";
}

std::string CreateFailure(const std::string& path, const std::string& error) {
    return "データファイル(" + path + ")を作成できませんでした。\r\n" + error;
}

} // namespace tavolin::datafile
