#include "core/auxwindow/AuxWindow.h"

#include "core/Platform.h"
#include "core/helpers/Convert.h"
#include "core/helpers/SystemError.h"
#include "core/settings/ProfileFile.h"

#include <algorithm>
#include <array>
#include <climits>
#include <string_view>
#include <system_error>

namespace tavolin::auxwindow {

namespace {

constexpr const char* kAddressSection = "Address";
constexpr int kMissing = INT_MIN;

std::optional<int> ReadOptional(const ProfileFile& ini, const std::string& section,
                                const char* key) {
    const int value = ini.ReadInteger(section, key, kMissing);
    if (value == kMissing)
        return std::nullopt;
    return value;
}

// One coordinate kept inside [low, high): the far edge first, then the near one, so that a
// window larger than the work area keeps its top-left corner on screen.
int KeepInside(int start, int extent, int low, int high) {
    if (start + extent > high)
        start = high - extent;
    if (start < low)
        start = low;
    return start;
}

bool Exists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::exists(text::FsPath(path), ec);
}

bool Remove(const std::string& path, std::string& error) {
    std::error_code ec;
    std::filesystem::remove(text::FsPath(path), ec);
    if (ec) {
        error = path + " を削除できません: " + SystemErrorText(ec);
        return false;
    }
    return true;
}

} // namespace

const char* SectionOf(Mode mode) {
    static constexpr const char* kSections[] = {"Adr", "Cal", "Mem"}; // in the order of Mode
    return kSections[static_cast<std::size_t>(mode)];
}

bool IsInternetAddress(const std::string& text) {
    static constexpr std::array<std::string_view, 6> kPrefixes = {"http://", "ftp://", "telnet://",
                                                                  "www.",    "web.",   "mailto:"};
    return std::any_of(kPrefixes.begin(), kPrefixes.end(),
                       [&](std::string_view p) { return text.starts_with(p); });
}

std::string AddressToOpen(const std::string& text) {
    if (text.starts_with("www.") || text.starts_with("web."))
        return "http://" + text;
    return text;
}

AddressAction ClassifyAddress(const std::string& text, const Platform& platform) {
    if (text.empty())
        return AddressAction::None;
    if (IsInternetAddress(text))
        return AddressAction::OpenAddress;
    const FileAttributes attributes = platform.Attributes(text);
    if (!attributes.exists)
        return AddressAction::None;
    return attributes.directory ? AddressAction::ShowFolder : AddressAction::LaunchFile;
}

void AddressHistory::Insert(const std::string& text) {
    // An entry that differs only in letter case is the same one: it moves to the top as it
    // is spelt.
    const auto same = std::find_if(m_entries.begin(), m_entries.end(), [&](const std::string& e) {
        return EqualsIgnoringCase(e, text);
    });
    if (same != m_entries.end()) {
        std::rotate(m_entries.begin(), same, same + 1);
        return;
    }
    m_entries.insert(m_entries.begin(), text);
    if (m_entries.size() > kMaxEntries)
        m_entries.resize(kMaxEntries);
}

layout::Rect OpeningRect(Mode mode, const ModeSettings& s, int cursorX, int cursorY,
                         const layout::Rect& workArea, Size fitted) {
    layout::Rect r{0, 0, s.width, s.height};
    if (!s.sectionExists) { // the mode's first size
        const Size first = mode == Mode::Cal   ? fitted
                           : mode == Mode::Mem ? Size{350, 150}
                                               : Size{450, r.height};
        r.width = first.width;
        r.height = first.height;
    }
    if (mode == Mode::Adr)
        r.height = kAdrHeight;
    if (mode == Mode::Mem) {
        r.width = std::max(r.width, kMemMinSize);
        r.height = std::max(r.height, kMemMinSize);
    }
    r.top = KeepInside(cursorY - 3, r.height, workArea.top, workArea.top + workArea.height);
    r.left = KeepInside(cursorX - 3, r.width, workArea.left, workArea.left + workArea.width);
    if (s.position == 0) {
        r.top = s.top.value_or(r.top);
        r.left = s.left.value_or(r.left);
    }
    return r;
}

ModeSettings LoadModeSettings(const std::string& path, Mode mode) {
    const ProfileFile ini(path);
    const std::string section = SectionOf(mode);
    ModeSettings s;
    s.sectionExists = ini.HasSection(section);
    s.height = ini.ReadInteger(section, "Height", s.height);
    s.width = ini.ReadInteger(section, "Width", s.width);
    s.top = ReadOptional(ini, section, "Top");
    s.left = ReadOptional(ini, section, "Left");
    s.position = ini.ReadInteger(section, "Position", s.position);
    if (mode == Mode::Mem) {
        s.hBar = ini.ReadInteger(section, "HBar", 0) != 0;
        s.vBar = ini.ReadInteger(section, "VBar", 0) != 0;
        s.color = ini.ReadString(section, "Color", s.color);
        s.fontColor = ini.ReadString(section, "FontColor", s.fontColor);
    }
    if (mode == Mode::Adr) {
        std::vector<std::string> entries;
        for (std::size_t i = 0; i < AddressHistory::kMaxEntries; ++i) {
            std::string value = ini.ReadString(kAddressSection, std::to_string(i), "");
            if (!value.empty())
                entries.push_back(std::move(value));
        }
        s.history = AddressHistory(std::move(entries));
        s.addressTop = ini.ReadString(kAddressSection, "Top", "");
    }
    return s;
}

bool SaveClosingSettings(Platform& platform, const std::string& path, Mode mode,
                         const layout::Rect& window, const AddressHistory& history,
                         const std::string& addressTop, std::string& error) {
    ProfileFile ini(path);
    if (mode == Mode::Adr) {
        ini.EraseSection(kAddressSection);
        if (!addressTop.empty())
            ini.WriteString(kAddressSection, "Top", addressTop);
        for (std::size_t i = 0; i < history.Entries().size(); ++i)
            ini.WriteString(kAddressSection, std::to_string(i), history.Entries()[i]);
    }
    const std::string section = SectionOf(mode);
    ini.WriteInteger(section, "Height", window.height);
    ini.WriteInteger(section, "Width", window.width);
    ini.WriteInteger(section, "Top", window.top);
    ini.WriteInteger(section, "Left", window.left);
    std::string why;
    if (ini.Save(platform, why))
        return true;
    error = "設定を保存できませんでした。\n" + why;
    return false;
}

bool MemoHoldsText(const std::string& text) {
    return text.find_first_not_of("\r\n ") != std::string::npos;
}

std::string MemoPath(const DataFiles& files, PathStyle style) {
    const std::string_view separators = style == PathStyle::Windows ? "\\/" : "/";
    const auto cut = files.ini.find_last_of(separators);
    if (cut == std::string::npos)
        return "Memo.txt";
    return files.ini.substr(0, cut + 1) + "Memo.txt";
}

MemoFile::MemoFile(Platform& platform, std::string path, std::string oldPath, std::string& error)
    : m_platform(platform), m_path(std::move(path)), m_oldPath(std::move(oldPath)) {
    std::string readFrom = m_path;
    if (!Exists(m_path) && OldMemoWouldReturn()) {
        // Copied, never moved: older copies may still read it there, and its folder is often
        // one the user cannot write.
        const std::optional<std::string> bytes = text::ReadFileBytes(m_oldPath);
        if (!bytes)
            error = m_oldPath + " を読み込めません。";
        else if (!m_platform.ReplaceFile(m_path, *bytes, error))
            readFrom = m_oldPath; // shown from there; a change is written beside the data files
    }
    // A memo that is there but cannot be read (not a regular file, unreadable, or of a foreign
    // encoding) is left alone: the memo shows empty, and neither a save nor a clearing
    // touches it.
    const text::FileKind kind = text::KindAt(readFrom);
    const std::optional<text::TextDocument> doc = text::ReadTextFile(readFrom);
    if (kind != text::FileKind::Missing && !doc) {
        const std::string why = text::ReadFaultText(kind);
        m_untouchable = "メモ(" + readFrom + ")を読み込めませんでした。" +
                        (why.empty() ? std::string() : "\r\n" + why);
    }
    if (doc && !text::IsOwnEncoding(doc->encoding))
        m_untouchable = text::ForeignEncodingMessage("メモ", readFrom, doc->encoding);
    if (!m_untouchable.empty()) {
        error = m_untouchable;
        return;
    }
    if (doc) {
        m_encoding = doc->encoding;
        for (std::size_t i = 0; i < doc->lines.size(); ++i) {
            if (i > 0)
                m_text += '\n';
            m_text += doc->lines[i];
        }
    }
}

bool MemoFile::OldMemoWouldReturn() const {
    return !m_oldPath.empty() && m_oldPath != m_path && Exists(m_oldPath);
}

bool MemoFile::Save(const std::string& text, std::string& error) {
    if (!m_untouchable.empty()) {
        if (text == m_text)
            return true; // nothing to keep, and what is there stays as it is
        error = m_untouchable;
        return false;
    }
    if (!MemoHoldsText(text)) {
        // A blank memo goes, edited or not. Where the old memo would be copied in again at the
        // next opening, an empty file stands for the cleared one instead.
        if (OldMemoWouldReturn()) {
            if (text != m_text && !m_platform.ReplaceFile(m_path, "", error))
                return false;
        } else if (Exists(m_path) && !Remove(m_path, error)) {
            return false;
        }
        m_text = text;
        return true;
    }
    if (text == m_text)
        return true;
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (;;) {
        const auto end = text.find('\n', start);
        lines.push_back(text.substr(start, end == std::string::npos ? end : end - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    text::Encoding chosen = m_encoding;
    const std::string bytes = text::EncodeText(lines, m_encoding, &chosen);
    if (!m_platform.ReplaceFile(m_path, bytes, error))
        return false;
    m_encoding = chosen;
    m_text = text;
    return true;
}

std::string UnsavedMemoQuestion(const std::string& reason) {
    return "メモを保存できませんでした。" + reason + "\r\n保存せずに閉じますか？";
}

bool MemoExists(const std::string& path, const std::string& oldPath) {
    return Exists(path) || (!oldPath.empty() && Exists(oldPath));
}

} // namespace tavolin::auxwindow
