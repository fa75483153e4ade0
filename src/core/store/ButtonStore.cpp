#include "core/store/ButtonStore.h"

#include "core/Platform.h"
#include "core/helpers/MessageBox.h"
#include "core/path/PathHelpers.h"
#include "core/settings/ProfileFile.h"
#include "core/text/Cp932.h"
#include "core/text/TextFile.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <unordered_map>
#include <utility>

namespace tavolin {

namespace {

using text::Encoding;

// SavePage hands the new file to the platform in pieces of about this size.
constexpr std::size_t kWriteChunk = 1 << 20;

// Reads a file line by line in large chunks, so that the file is never held whole. Lines end
// at CR LF, LF or a lone CR. A last line without a line end still counts. The encoding is
// told before the first line (see text::DetectEncoding); a UTF-8 byte-order mark is not part
// of the first line.
//
// Besides single lines it hands out runs: whole lines up to the next category line, found
// with one scan for "[" instead of a step per line, for the readers that pass over other
// categories' lines.
class LineReader {
public:
    static constexpr std::size_t kChunk = 1 << 20;
    // A longer line is not a line of a data file: reading stops rather than hold it.
    static constexpr std::size_t kLongestLine = std::size_t{16} << 20;

    explicit LineReader(const std::string& path) : m_in(text::FsPath(path), std::ios::binary) {
        if (!m_in) {
            m_failed = true;
            return;
        }
        m_buffer.resize(kChunk);
        Fill();
        text::EncodingDetector detector;
        detector.Feed(std::string_view(m_buffer.data(), m_end));
        if (!detector.Decided() && !m_eof) {
            // Whether the file is UTF-8 takes all of it: the rest is read once beforehand.
            std::ifstream rest(text::FsPath(path), std::ios::binary);
            rest.seekg(static_cast<std::streamoff>(m_end));
            std::string piece(kChunk, '\0');
            while (!detector.Decided() && rest.read(piece.data(), kChunk).gcount() > 0)
                detector.Feed(
                    std::string_view(piece.data(), static_cast<std::size_t>(rest.gcount())));
        }
        m_encoding = detector.Result();
        m_pos = text::MarkOf(m_encoding).size();
        if (!text::IsOwnEncoding(m_encoding))
            m_pos = m_end;
    }

    Encoding FileEncoding() const { return m_encoding; }
    // True when the file could not be opened, a read failed part way, or a line was too long.
    bool Failed() const { return m_failed; }
    bool LineTooLong() const { return m_tooLong; }

    // The next line, without its line end, valid until the next call; false at the end.
    bool Next(std::string_view& line) {
        for (;;) {
            const char* begin = m_buffer.data() + m_pos;
            const std::size_t available = m_end - m_pos;
            const auto* lf = static_cast<const char*>(std::memchr(begin, '\n', available));
            const std::size_t length =
                lf != nullptr ? static_cast<std::size_t>(lf - begin) : available;
            const auto* cr = static_cast<const char*>(std::memchr(begin, '\r', length));
            if (cr != nullptr) {
                // A CR ends the line; whether a LF follows it may take another read.
                const auto at = static_cast<std::size_t>(cr - begin);
                if (at + 1 < available || m_eof || m_failed) {
                    m_pos += at + 1;
                    if (at + 1 < available && cr[1] == '\n')
                        ++m_pos;
                    line = std::string_view(begin, at);
                    return true;
                }
            } else if (lf != nullptr) {
                m_pos += length + 1;
                line = std::string_view(begin, length);
                return true;
            } else if (m_eof || m_failed) {
                if (available == 0)
                    return false;
                line = std::string_view(begin, available);
                m_pos = m_end;
                return true;
            }
            if (!ReadMore())
                return false;
        }
    }

    // Whole lines (with their line ends) before the next line that starts with "[", at most
    // a buffer's worth at a time; valid until the next call. False, with nothing consumed,
    // when the next line is a category line or the file has ended.
    bool NextRun(std::string_view& run) {
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
            // whether a LF follows it.
            const std::string_view text(begin, available);
            std::size_t last = text.find_last_of("\r\n");
            if (last == available - 1 && text[last] == '\r')
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

    // Passes over every line up to the next category line.
    void SkipToCategoryLine() {
        std::string_view run;
        while (NextRun(run)) {
        }
    }

private:
    // Keeps the unfinished line, makes room (a long line grows the buffer, up to the longest
    // line) and reads on. False when the line is too long.
    bool ReadMore() {
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

    void Fill() {
        m_in.read(m_buffer.data() + m_end, static_cast<std::streamsize>(m_buffer.size() - m_end));
        m_end += static_cast<std::size_t>(m_in.gcount());
        if (m_in.eof()) {
            m_eof = true;
        } else if (!m_in) {
            m_failed = true;
        }
    }

    std::ifstream m_in;
    std::string m_buffer;
    std::size_t m_pos = 0;
    std::size_t m_end = 0;
    bool m_eof = false;
    bool m_failed = false;
    bool m_tooLong = false;
    Encoding m_encoding = Encoding::Cp932;
};

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

bool IsAscii(std::string_view s) {
    return std::all_of(s.begin(), s.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// The slot number of a button line: a decimal integer with an optional sign. Nothing for
// anything else ("x", "", "$3", " 3", a number too big for an int).
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

// The parts of a raw button line up to the first ":" and between it and the first "=". The
// separators are ASCII and never the second byte of a code page 932 character, so they can
// be found in the raw bytes.
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

// The byte length of the UTF-8 sequence that starts with `lead`.
std::size_t Utf8SequenceLength(unsigned char lead) {
    if (lead < 0xC0)
        return 1;
    if (lead < 0xE0)
        return 2;
    if (lead < 0xF0)
        return 3;
    return 4;
}

} // namespace

std::string CutCaption(const std::string& title, int length) {
    length = std::clamp(length, ButtonStore::kMinCaptionLength, ButtonStore::kMaxCaptionLength);
    const auto limit = static_cast<std::size_t>(length);
    if (text::Cp932Length(title) <= limit)
        return title;
    // Keep whole characters within limit - 3 bytes; a double-byte character that would be
    // split is left out, so the caption is length or length - 1 bytes with the "...".
    const std::size_t keep = limit - 3;
    std::size_t bytes = 0;
    std::size_t pos = 0;
    while (pos < title.size()) {
        const std::size_t n = std::min(Utf8SequenceLength(static_cast<unsigned char>(title[pos])),
                                       title.size() - pos);
        const std::size_t width = text::Cp932Length(std::string_view(title).substr(pos, n));
        if (bytes + width > keep)
            break;
        bytes += width;
        pos += n;
    }
    return title.substr(0, pos) + "...";
}

std::optional<std::string> CategoryLineName(std::string_view line, text::Encoding encoding) {
    if (line.empty() || line.front() != '[')
        return std::nullopt;
    // The name is the bytes between the first and the last byte, whatever the last byte is:
    // so a code page 932 name whose last character has "]" as its trail byte is still whole.
    if (line.size() < 2)
        return std::string();
    return text::DecodeLine(line.substr(1, line.size() - 2), encoding);
}

ButtonStore::ButtonStore(Platform& platform, View& view, std::string dataFilePath,
                         std::string settingsFilePath)
    : m_platform(platform), m_view(view), m_style(platform.Style()),
      m_dataFile(std::move(dataFilePath)), m_settingsFile(std::move(settingsFilePath)) {}

const ButtonStore::Slot& ButtonStore::SlotAt(int n) const {
    if (n < 1 || n > kSlotCount)
        throw std::out_of_range("button slot out of range");
    return m_slots[static_cast<std::size_t>(n - 1)];
}

ButtonStore::Slot& ButtonStore::SlotAt(int n) {
    return const_cast<Slot&>(std::as_const(*this).SlotAt(n));
}

void ButtonStore::SetCaptionLength(int bytes) {
    m_captionLength = std::clamp(bytes, kMinCaptionLength, kMaxCaptionLength);
}

void ButtonStore::SetTitle(int n, std::string title) {
    SlotAt(n).title = BlankLineBreaks(std::move(title));
    Changed();
}

void ButtonStore::Changed() {
    ++m_revision;
    if (m_quiet == 0 && m_changed)
        m_changed();
}

void ButtonStore::ReportReadError(const std::string& reason) {
    ShowMessageBox(m_view,
                   "データファイル(" + m_dataFile + ")を読み込めませんでした。" +
                       (reason.empty() ? "" : "\r\n" + reason),
                   MsgKind::Error, msg_buttons::kOkOnly);
}

bool ButtonStore::DataFileExists() const {
    return text::KindAt(m_dataFile) != text::FileKind::Missing;
}

bool ButtonStore::DataFileToRead() {
    const text::FileKind kind = text::KindAt(m_dataFile);
    if (kind == text::FileKind::Missing || kind == text::FileKind::Regular) {
        m_toldKind = kind;
        return kind == text::FileKind::Regular;
    }
    // Told once while it stays so: the category list and the page both look at the file.
    if (std::exchange(m_toldKind, kind) != kind)
        ReportReadError(text::ReadFaultText(kind));
    return false;
}

bool ButtonStore::Foreign(Encoding encoding) {
    if (text::IsOwnEncoding(encoding))
        return false;
    if (!m_foreignTold) {
        m_foreignTold = true;
        ShowMessageBox(m_view, text::ForeignEncodingMessage("データファイル", m_dataFile, encoding),
                       MsgKind::Error, msg_buttons::kOkOnly);
    }
    return true;
}

std::string ButtonStore::ReadFault(bool lineTooLong) {
    return lineTooLong ? "16 MiB を超える長さの行があります。" : "";
}

void ButtonStore::LoadCategoryList() {
    m_categoryNames.assign(1, kDefaultCategory);
    if (!DataFileToRead()) {
        Changed();
        return;
    }
    std::vector<std::string> names;
    LineReader reader(m_dataFile);
    std::string_view line;
    if (Foreign(reader.FileEncoding())) {
        Changed();
        return;
    }
    for (reader.SkipToCategoryLine(); reader.Next(line); reader.SkipToCategoryLine()) {
        names.push_back(*CategoryLineName(line, reader.FileEncoding()));
    }
    if (reader.Failed())
        ReportReadError(ReadFault(reader.LineTooLong()));
    if (!names.empty())
        m_categoryNames = std::move(names);
    Changed();
}

bool ButtonStore::IsCategoryLine(std::string_view line, Encoding encoding) const {
    // A "[" alone names the category "", as the category list shows it.
    return CategoryLineName(line, encoding) == m_category;
}

bool ButtonStore::KeyIsPage(std::string_view line, Encoding encoding) const {
    const std::string_view key = RawKeyPart(line);
    // An ASCII page text matches only the same bytes: no other byte sequence of either
    // encoding decodes to ASCII.
    if (IsAscii(m_page))
        return key == m_page;
    return !key.empty() && text::DecodeLine(key, encoding) == m_page;
}

void ButtonStore::LoadPage() {
    if (!m_pageLoadEnabled)
        return;
    LoadCurrentPage();
}

void ButtonStore::LoadCurrentPage() {
    ++m_pageLoads;
    m_shownLines.clear();
    if (!DataFileToRead()) {
        Changed();
        return;
    }
    LineReader reader(m_dataFile);
    if (reader.Failed() || Foreign(reader.FileEncoding())) {
        if (reader.Failed())
            ReportReadError();
        Changed();
        return;
    }
    for (auto& slot : m_slots)
        slot = Slot{};
    // One change report for the whole page, also when an assignment throws.
    struct Quiet {
        int& depth;
        explicit Quiet(int& d) : depth(d) { ++depth; }
        ~Quiet() { --depth; }
        Quiet(const Quiet&) = delete;
        Quiet& operator=(const Quiet&) = delete;
    };
    std::optional<Quiet> quiet(std::in_place, m_quiet);

    const Encoding encoding = reader.FileEncoding();
    std::string_view line;
    bool found = false;
    while (!found) {
        reader.SkipToCategoryLine();
        if (!reader.Next(line))
            break;
        found = IsCategoryLine(line, encoding);
    }
    // The line each slot shows: a later line for the same slot takes it from an earlier one.
    std::array<std::string, kSlotCount> shown;
    std::array<bool, kSlotCount> unnumbered{};
    const auto place = [&](std::string_view raw, int number) {
        const int slot = Assign(ValuePart(text::DecodeLine(raw, encoding)), number, Overflow::Skip);
        if (slot == 0)
            return;
        shown[static_cast<std::size_t>(slot - 1)] = raw;
        unnumbered[static_cast<std::size_t>(slot - 1)] = number == 0;
    };
    // Lines without a slot of their own (a number outside 1 to 24) take the free slots left
    // after the numbered lines, so that a numbered line never hides them.
    std::vector<std::string> anywhere;
    // A numbered line's copies all have its number, so the copy a slot shows is the last one:
    // the numbered lines are counted (by a hash each) to tell which copy that is.
    std::vector<std::size_t> numbered;
    const std::hash<std::string_view> hash;
    while (found && reader.Next(line)) {
        if (line.empty() || line.front() == '{')
            continue;
        if (line.front() == '[')
            break;
        if (!KeyIsPage(line, encoding))
            continue;
        const auto number = DecimalNumber(RawNumberPart(line));
        if (!number)
            continue;
        if (*number >= 1 && *number <= kSlotCount) {
            numbered.push_back(hash(line));
            place(line, *number);
        } else if (anywhere.size() < kSlotCount) { // no more can find a slot
            anywhere.emplace_back(line);
        }
    }
    for (const std::string& raw : anywhere)
        place(raw, 0);
    // SavePage rewrites exactly these copies of these lines; every other line, one that lost
    // its slot to a later line among them, stays in the file as it is. Unnumbered lines take
    // slots in file order, so theirs are the first copies.
    std::unordered_map<std::string, int> firstCopies;
    for (int n = 1; n <= kSlotCount; ++n) {
        if (!IsUsed(n))
            continue;
        const auto i = static_cast<std::size_t>(n - 1);
        const int copy =
            unnumbered[i]
                ? ++firstCopies[shown[i]]
                : static_cast<int>(std::count(numbered.begin(), numbered.end(), hash(shown[i])));
        m_shownLines[std::move(shown[i])].push_back(copy);
    }
    quiet.reset();
    if (reader.Failed())
        ReportReadError(ReadFault(reader.LineTooLong()));
    Changed();
}

void ButtonStore::ClearButton(int n) {
    SlotAt(n) = Slot{};
    Changed();
}

ButtonIcon ButtonStore::AddButtonIcon(const std::string& target) const {
    if (!m_platform.Attributes(target).exists)
        return ButtonIcon{{}, kMissingTargetImage};
    if (m_style == PathStyle::Windows && !target.empty() && target.back() == ':') {
        return ButtonIcon{target + "\\", -1};
    }
    return ButtonIcon{target, -1};
}

int ButtonStore::AssignButton(const std::string& value, int n) {
    const Placement placed = PlaceButton(value, n);
    if (placed.noRoom) {
        ShowMessageBox(m_view,
                       "ページ " + m_page +
                           " に空きボタンがなく、次のページもないため、\r\n"
                           "ファイル( " +
                           TargetPart(value) + " )を登録できませんでした。",
                       MsgKind::Warning, msg_buttons::kOkOnly);
    }
    return placed.slot;
}

ButtonStore::Placement ButtonStore::PlaceButton(const std::string& value, int n) {
    Placement placed;
    placed.slot = Assign(value, n, Overflow::NextPage, &placed);
    return placed;
}

int ButtonStore::Assign(const std::string& value, int n, Overflow overflow, Placement* placement) {
    std::string stored = value;
    std::string target = TargetPart(stored);
    bool hasTitle = target != stored;
    const bool registering = overflow != Overflow::Skip;
    if (registering && HasLineBreakOrNul(target)) {
        RefuseLineBreak(target);
        return 0;
    }

    int slot = (n >= 1 && n <= kSlotCount) ? n : 0;
    while (slot == 0) {
        for (int i = 1; i <= kSlotCount && slot == 0; ++i) {
            if (!IsUsed(i))
                slot = i;
        }
        if (slot != 0)
            break;
        // The page is full. While a page is being loaded the file must not be rewritten:
        // the caller keeps the line instead.
        if (overflow == Overflow::Skip)
            return 0;
        int page = 0;
        const auto [end, ec] = std::from_chars(m_page.data(), m_page.data() + m_page.size(), page);
        if (ec != std::errc() || end != m_page.data() + m_page.size() || page < 1 ||
            page >= kMaxPage) {
            if (placement != nullptr)
                placement->noRoom = true;
            return 0;
        }
        if (!SavePage()) {
            if (placement != nullptr)
                placement->saveFailed = true;
            return 0;
        }
        m_page = std::to_string(page + 1);
        for (auto& cleared : m_slots)
            cleared = Slot{};
        LoadCurrentPage();
        // On the next page the target goes alone: a title of the value is not carried over.
        stored = target;
        hasTitle = false;
    }

    if (m_platform.IsShortcut(target)) {
        try {
            const ShortcutTarget resolved = m_platform.ResolveShortcut(target);
            // A shortcut may point at a name that no data file line can hold: a new button
            // is refused, a page being loaded shows the shortcut itself.
            if (HasLineBreakOrNul(resolved.target)) {
                if (registering) {
                    RefuseLineBreak(resolved.target);
                    return 0;
                }
            } else {
                target = resolved.target;
                if (!hasTitle && !resolved.title.empty()) {
                    stored = target + " <TS>" + BlankLineBreaks(resolved.title) + "<TE>";
                    hasTitle = true;
                }
            }
        } catch (const std::exception&) {
            // A page being loaded shows the shortcut itself; a new button is not made.
            if (registering)
                throw;
        }
    }
    if (target.find('~') != std::string::npos) {
        try {
            target = ExpandLongName(target, m_platform);
        } catch (const std::exception&) {
            // The short form stays; nothing is shown.
        }
    }

    Slot& s = SlotAt(slot);
    s.path = FolderOf(target, m_platform);
    if (s.path.empty()) {
        // Nothing to point at (an empty value): the slot stays empty.
        s = Slot{};
        Changed();
        return slot;
    }
    s.icon = AddButtonIcon(target);
    s.file = FileNameOf(target, m_platform);
    s.title = TitlePart(hasTitle ? stored : target, m_style);
    s.caption = CutCaption(s.title, m_captionLength);
    Changed();
    return slot;
}

void ButtonStore::RefuseLineBreak(const std::string& target) {
    ShowMessageBox(m_view,
                   "名前に改行文字が含まれているため、ボタンに登録できません。\r\n( " +
                       BlankLineBreaks(target) + " )",
                   MsgKind::Warning, msg_buttons::kOkOnly);
}

bool ButtonStore::SavePage() {
    return SavePageAs(std::nullopt);
}

bool ButtonStore::SavePageAs(std::optional<Encoding> forced) {
    // The new file is streamed to the platform, which writes it under a temporary name beside
    // the data file, flushes it and renames it over the old file at Commit. So the separate
    // ".tmp" copy of the data file is not needed: a failure or a crash at any moment leaves
    // the old file whole, and after success no temporary file remains. The old file is read
    // in chunks and the new one written in chunks, so memory does not grow with the file.
    const text::FileKind kind = text::KindAt(m_dataFile);
    std::optional<LineReader> reader;
    Encoding encoding = Encoding::Cp932;
    const auto reportUnreadable = [&](const std::string& reason) {
        ShowMessageBox(m_view,
                       "データファイル(" + m_dataFile +
                           ")を読み込めないため、ページを保存できませんでした。" +
                           (reason.empty() ? "" : "\r\n" + reason),
                       MsgKind::Error, msg_buttons::kOkOnly);
    };
    if (kind != text::FileKind::Missing) {
        if (kind != text::FileKind::Regular) {
            reportUnreadable(text::ReadFaultText(kind));
            return false;
        }
        reader.emplace(m_dataFile);
        if (reader->Failed()) {
            reportUnreadable({});
            return false;
        }
        encoding = reader->FileEncoding();
        // A file of a foreign encoding is never written over.
        if (Foreign(encoding))
            return false;
    }

    // The page's own lines, in slot order. When code page 932 cannot hold one of them, the
    // whole file becomes UTF-8 with a byte-order mark.
    std::vector<std::string> pageLines;
    for (int n = 1; n <= kSlotCount; ++n) {
        const Slot& s = SlotAt(n);
        if (s.path.empty())
            continue;
        pageLines.push_back(m_page + ":" + std::to_string(n) + "=" +
                            EncodeButtonValue(s.path, s.file, s.title, m_style));
    }
    const std::string categoryLine = "[" + m_category + "]";
    Encoding output = forced.value_or(encoding);
    const auto encodable = [&](const std::string& line) {
        return text::EncodeLine(line, output).has_value();
    };
    if (output == Encoding::Cp932 &&
        (!encodable(categoryLine) || !std::all_of(pageLines.begin(), pageLines.end(), encodable))) {
        output = Encoding::Utf8Bom;
    }
    const bool transcode = output != encoding;

    std::string error;
    auto replacement = m_platform.BeginReplaceFile(m_dataFile, error);
    if (!replacement) {
        ReportWriteFailure(error);
        return false;
    }
    // What is written is watched: bytes that the next read would take for another encoding
    // (code page 932 that happens to be UTF-8) are written again as UTF-8 with a mark.
    text::EncodingDetector readBack;
    const auto emit = [&](std::string_view bytes) {
        readBack.Feed(bytes);
        replacement->Write(bytes);
    };
    std::string out;
    out.reserve(kWriteChunk + kWriteChunk / 8);
    // Hands what has piled up to the file once it is a chunk's worth.
    const auto flush = [&](std::size_t atLeast) {
        if (out.size() >= atLeast) {
            emit(out);
            out.clear();
        }
    };
    out += text::MarkOf(output);
    const auto writeRaw = [&](std::string_view line) {
        if (transcode) {
            out += *text::EncodeLine(text::DecodeLine(line, encoding), output);
        } else {
            out += line;
        }
        out += "\r\n";
        flush(kWriteChunk);
    };
    const auto writePage = [&] {
        for (const auto& line : pageLines) {
            out += *text::EncodeLine(line, output);
            out += "\r\n";
        }
    };

    // Lines outside the category's sections are copied a run at a time; a run is copied as
    // it stands when it needs no change (every line ends in CR LF, no re-encoding).
    const auto writeRun = [&](std::string_view run) {
        if (!transcode && run.back() == '\n' && !HasBareLineEnd(run)) {
            flush(1);
            emit(run);
            return;
        }
        for (auto line : text::SplitLines(run))
            writeRaw(line);
    };

    // The page's lines go at the end of the first section of the category, in place of the
    // lines the load showed. Every other line stays: the page's lines that lost their slot to
    // a later line, those of a later section of the same name, those the page could not
    // show. Being last in the section, the page's lines keep their slots at the next load,
    // and a kept line shows again only where its slot is then empty.
    // The copies of the shown lines, and of the page's new lines, met in the section so far.
    std::unordered_map<std::string, int> copies;
    std::unordered_map<std::string, int> dropped;
    for (const auto& entry : m_shownLines)
        copies.emplace(entry.first, 0);
    for (const auto& pageLine : pageLines) {
        if (auto raw = text::EncodeLine(pageLine, encoding))
            copies.emplace(std::move(*raw), 0);
    }
    const auto wasShown = [&](std::string_view line) {
        if (!KeyIsPage(line, encoding))
            return false;
        const auto it = copies.find(std::string(line));
        if (it == copies.end())
            return false;
        const int copy = ++it->second;
        const auto shownCopies = m_shownLines.find(it->first);
        if (shownCopies == m_shownLines.end() ||
            std::find(shownCopies->second.begin(), shownCopies->second.end(), copy) ==
                shownCopies->second.end()) {
            return false;
        }
        ++dropped[it->first];
        return true;
    };
    bool written = false;
    if (reader) {
        bool inSection = false;
        std::string_view line;
        for (;;) {
            if (!inSection) {
                std::string_view run;
                while (reader->NextRun(run))
                    writeRun(run);
            }
            if (!reader->Next(line))
                break;
            if (!line.empty() && line.front() == '[') {
                if (inSection) {
                    writePage();
                    written = true;
                }
                writeRaw(line);
                inSection = !written && IsCategoryLine(line, encoding);
                continue;
            }
            if (inSection && !line.empty() && line.front() != '{' && wasShown(line))
                continue;
            writeRaw(line);
        }
        if (inSection) {
            writePage();
            written = true;
        }
        if (reader->Failed()) {
            reportUnreadable(ReadFault(reader->LineTooLong()));
            return false;
        }
    }
    if (!written) {
        out += *text::EncodeLine(categoryLine, output);
        out += "\r\n";
        writePage();
    }

    flush(1);
    // The old file is closed before the new one takes its name: Windows does not rename a
    // file over one that is still open.
    reader.reset();
    if (!text::ReadsBackAs(output, readBack)) {
        replacement.reset(); // its temporary file goes
        return SavePageAs(Encoding::Utf8Bom);
    }
    if (!replacement->Commit(error)) {
        ReportWriteFailure(error);
        return false;
    }
    // The file now holds the page as these lines: the next save replaces them.
    // Each of its lines follows the copies of it that the section kept.
    m_shownLines.clear();
    std::unordered_map<std::string, int> ordinal;
    for (const auto& pageLine : pageLines) {
        const auto raw = text::EncodeLine(pageLine, encoding);
        const int kept = raw ? copies[*raw] - dropped[*raw] : 0;
        std::string line = *text::EncodeLine(pageLine, output);
        const int copy = kept + ++ordinal[line];
        m_shownLines[std::move(line)].push_back(copy);
    }
    return true;
}

void ButtonStore::ReportWriteFailure(const std::string& error) {
    ShowMessageBox(m_view,
                   "データファイル(" + m_dataFile + ")に書き込めませんでした。\r\n" + error +
                       "\r\n元のファイルは変更されていません。",
                   MsgKind::Error, msg_buttons::kOkOnly);
}

void ButtonStore::MigrateIniCategories() {
    std::error_code ec;
    if (!std::filesystem::exists(text::FsPath(m_settingsFile), ec) || DataFileExists())
        return;

    ProfileFile settings(m_settingsFile);
    if (!settings.LoadError().empty()) {
        // Categories that cannot be read are left where they are, for a later start.
        ShowMessageBox(m_view,
                       "設定ファイル(" + m_settingsFile + ")を読み込めませんでした。\r\n" +
                           settings.LoadError(),
                       MsgKind::Error, msg_buttons::kOkOnly);
        return;
    }
    std::vector<std::string> lines;
    for (int k = 0;; ++k) {
        const std::string name = settings.ReadString("Category", std::to_string(k), "");
        if (name.empty())
            break;
        lines.push_back("[" + name + "]");
        const std::string section = "Category:" + name;
        const auto entries = settings.ReadSection(section);
        for (const auto& [key, value] : entries)
            lines.push_back(key + "=" + value);
        if (!entries.empty())
            settings.EraseSection(section);
    }
    settings.EraseSection("Category");

    // The data file is written first; only then do the sections leave the settings file,
    // so a failure at any point loses no category.
    std::string error;
    if (!m_platform.ReplaceFile(m_dataFile, text::EncodeText(lines, Encoding::Cp932), error)) {
        ShowMessageBox(m_view,
                       "データファイル(" + m_dataFile + ")を作成できませんでした。\r\n" + error,
                       MsgKind::Error, msg_buttons::kOkOnly);
        return;
    }
    if (!settings.Save(m_platform, error)) {
        ShowMessageBox(m_view,
                       "設定ファイル(" + m_settingsFile + ")に書き込めませんでした。\r\n" + error,
                       MsgKind::Error, msg_buttons::kOkOnly);
    }
}

} // namespace tavolin
