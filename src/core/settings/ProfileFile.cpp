#include "core/settings/ProfileFile.h"

#include "core/Platform.h"
#include "core/helpers/Convert.h"

#include <algorithm>
#include <string_view>

namespace tavolin {

namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

// The byte escape of "]" (U+10FE5D) in UTF-8.
constexpr std::string_view kEscapedBracket = "\xF4\x8F\xB9\x9D";

// Blanks around names and values. A CR can only be left in a line by a file whose last line
// ends in a bare CR; it is treated as a blank so that such a value still reads cleanly.
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view TrimLeft(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    return s;
}

std::string_view Trim(std::string_view s) {
    s = TrimLeft(s);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool IsBlankLine(std::string_view s) {
    return TrimLeft(s).empty();
}

enum class LineKind { Other, Section, Entry };

// What a line is. Views point into `line`.
struct ParsedLine {
    LineKind kind = LineKind::Other;
    std::string_view name;  // section name or key, without surrounding blanks
    std::string_view value; // an entry's text after the first "=", as written
};

ParsedLine Parse(std::string_view line) {
    const std::string_view body = TrimLeft(line);
    if (body.empty())
        return {};
    if (body.front() == '[') {
        // The name runs to the last "]", so a name may itself contain "]". A "]" that code
        // page 932 decoding took as the trail byte of an undecodable pair ("[A\x85]") is held
        // as its byte escape and closes the name too: the section is then the same one when
        // the file is later written in UTF-8, where that byte reads as "]".
        const std::size_t plain = body.rfind(']');
        const std::size_t escaped = body.rfind(kEscapedBracket);
        std::size_t close = plain;
        if (escaped != std::string_view::npos &&
            (plain == std::string_view::npos || escaped > plain))
            close = escaped;
        if (close == std::string_view::npos)
            return {};
        return {LineKind::Section, Trim(body.substr(1, close - 1)), {}};
    }
    if (body.front() == ';')
        return {};
    const std::size_t equals = body.find('=');
    if (equals == std::string_view::npos)
        return {};
    const std::string_view key = Trim(body.substr(0, equals));
    if (key.empty())
        return {};
    return {LineKind::Entry, key, body.substr(equals + 1)};
}

bool Quoted(std::string_view value) {
    return value.size() >= 2 && value.front() == value.back() &&
           (value.front() == '"' || value.front() == '\'');
}

// A value as a single-key read returns it: blanks trimmed, then matching quotes removed.
std::string_view Unquote(std::string_view value) {
    value = Trim(value);
    return Quoted(value) ? value.substr(1, value.size() - 2) : value;
}

// A value as it is written, so that reading gives it back: a value that begins or ends with
// a blank, or that is itself enclosed in matching quotes, is enclosed in double quotes
// (reading removes exactly one pair).
std::string StoredValue(const std::string& value) {
    if (!value.empty() && (IsBlank(value.front()) || IsBlank(value.back()) || Quoted(value)))
        return '"' + value + '"';
    return value;
}

bool HasLineBreak(std::string_view s) {
    return s.find_first_of("\r\n") != std::string_view::npos;
}

// Whether a section, key and value can be written as lines that read back as the same
// section, key and value.
bool Storable(std::string_view section, std::string_view key, std::string_view value) {
    return !section.empty() && !key.empty() && !HasLineBreak(section) && !HasLineBreak(key) &&
           !HasLineBreak(value) && key.find('=') == std::string_view::npos && key.front() != '[' &&
           key.front() != ';';
}

} // namespace

ProfileFile::ProfileFile(std::string path) : m_path(std::move(path)) {
    const text::FileKind kind = text::KindAt(m_path);
    if (kind == text::FileKind::Missing)
        return;
    const std::optional<std::string> bytes = text::ReadFileBytes(m_path);
    if (!bytes) {
        // Something is there that cannot be read: leave it alone rather than replace it
        // with a file holding only what is written next.
        const std::string reason = text::ReadFaultText(kind);
        m_loadError = "ファイル(" + m_path + ")を読み込めませんでした。" +
                      (reason.empty() ? "" : "\r\n" + reason);
        return;
    }
    m_encoding = text::DetectEncoding(*bytes);
    if (!text::IsOwnEncoding(m_encoding)) {
        m_loadError = text::ForeignEncodingMessage("設定ファイル", m_path, m_encoding);
        return;
    }
    for (const std::string_view line : text::SplitLines(text::BodyOf(*bytes))) {
        Line decoded{text::DecodeLine(line, m_encoding), std::nullopt};
        if (m_encoding == text::Encoding::Cp932)
            decoded.raw = std::string(line);
        m_lines.push_back(std::move(decoded));
    }
}

std::size_t ProfileFile::FindSection(const std::string& section) const {
    const std::string_view name = Trim(section);
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        const ParsedLine parsed = Parse(m_lines[i].text);
        if (parsed.kind == LineKind::Section && EqualsIgnoringCase(parsed.name, name))
            return i;
    }
    return kNone;
}

std::size_t ProfileFile::SectionEnd(std::size_t sectionLine) const {
    const auto next =
        std::find_if(m_lines.begin() + static_cast<std::ptrdiff_t>(sectionLine) + 1, m_lines.end(),
                     [](const Line& line) { return Parse(line.text).kind == LineKind::Section; });
    return static_cast<std::size_t>(next - m_lines.begin());
}

std::size_t ProfileFile::FindKey(std::size_t sectionLine, const std::string& key) const {
    const std::string_view name = Trim(key);
    const std::size_t end = SectionEnd(sectionLine);
    for (std::size_t i = sectionLine + 1; i < end; ++i) {
        const ParsedLine parsed = Parse(m_lines[i].text);
        if (parsed.kind == LineKind::Entry && EqualsIgnoringCase(parsed.name, name))
            return i;
    }
    return kNone;
}

std::string ProfileFile::ReadString(const std::string& section, const std::string& key,
                                    const std::string& defaultValue) const {
    const std::size_t sectionLine = FindSection(section);
    if (sectionLine == kNone)
        return defaultValue;
    const std::size_t keyLine = FindKey(sectionLine, key);
    if (keyLine == kNone)
        return defaultValue;
    return std::string(Unquote(Parse(m_lines[keyLine].text).value));
}

int ProfileFile::ReadInteger(const std::string& section, const std::string& key,
                             int defaultValue) const {
    // A missing key gives "", which is no integer either.
    return ToInteger(ReadString(section, key, {})).value_or(defaultValue);
}

std::vector<std::pair<std::string, std::string>>
ProfileFile::ReadSection(const std::string& section) const {
    std::vector<std::pair<std::string, std::string>> entries;
    const std::size_t sectionLine = FindSection(section);
    if (sectionLine == kNone)
        return entries;
    const std::size_t end = SectionEnd(sectionLine);
    for (std::size_t i = sectionLine + 1; i < end; ++i) {
        const ParsedLine parsed = Parse(m_lines[i].text);
        if (parsed.kind == LineKind::Entry)
            entries.emplace_back(parsed.name, parsed.value);
    }
    return entries;
}

bool ProfileFile::HasSection(const std::string& section) const {
    return FindSection(section) != kNone;
}

bool ProfileFile::WriteString(const std::string& section, const std::string& key,
                              const std::string& value) {
    const std::string_view sectionName = Trim(section);
    const std::string_view keyName = Trim(key);
    if (!Storable(sectionName, keyName, value))
        return false;
    const std::string stored = StoredValue(value);

    const std::size_t sectionLine = FindSection(section);
    if (sectionLine == kNone) {
        // A new section goes to the end of the file, set off by a blank line.
        if (!m_lines.empty() && !IsBlankLine(m_lines.back().text))
            m_lines.push_back({});
        m_lines.push_back({std::string("[").append(sectionName).append("]"), std::nullopt});
        m_lines.push_back({std::string(keyName).append("=").append(stored), std::nullopt});
        m_modified = true;
        return true;
    }

    const std::size_t keyLine = FindKey(sectionLine, key);
    if (keyLine != kNone) {
        std::string text =
            std::string(Parse(m_lines[keyLine].text).name).append("=").append(stored);
        if (text != m_lines[keyLine].text) {
            m_lines[keyLine] = {std::move(text), std::nullopt};
            m_modified = true;
        }
        return true;
    }

    // A new key goes right after the last key of its section (after the section line when
    // it has none), so comments and blank lines that end the section stay at its end.
    std::size_t insertAt = sectionLine + 1;
    const std::size_t end = SectionEnd(sectionLine);
    for (std::size_t i = sectionLine + 1; i < end; ++i) {
        if (Parse(m_lines[i].text).kind == LineKind::Entry)
            insertAt = i + 1;
    }
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(insertAt),
                   Line{std::string(keyName) + "=" + stored, std::nullopt});
    m_modified = true;
    return true;
}

bool ProfileFile::WriteInteger(const std::string& section, const std::string& key, int value) {
    return WriteString(section, key, std::to_string(value));
}

void ProfileFile::EraseSection(const std::string& section) {
    // Only the first section of the name goes: it is the one that reads saw, so reading a
    // section and then erasing it never removes lines that were not read.
    const std::size_t sectionLine = FindSection(section);
    if (sectionLine == kNone)
        return;
    const std::size_t end = SectionEnd(sectionLine);
    m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(sectionLine),
                  m_lines.begin() + static_cast<std::ptrdiff_t>(end));
    m_modified = true;
}

std::string ProfileFile::FileBytes(text::Encoding& chosen) const {
    if (m_encoding == text::Encoding::Cp932) {
        // Unchanged lines keep their bytes: re-encoding a decoded line is not always the
        // identity (characters with two codes come back with the code Windows prefers).
        std::string bytes;
        bool encodable = true;
        for (const Line& line : m_lines) {
            if (line.raw) {
                bytes += *line.raw;
            } else if (const auto encoded = text::EncodeLine(line.text, m_encoding)) {
                bytes += *encoded;
            } else {
                encodable = false;
                break;
            }
            bytes += "\r\n";
        }
        // A changed line can make code page 932 bytes read back as UTF-8.
        text::EncodingDetector detector;
        detector.Feed(bytes);
        if (encodable && text::ReadsBackAs(text::Encoding::Cp932, detector)) {
            chosen = text::Encoding::Cp932;
            return bytes;
        }
    }
    // UTF-8 decoding and encoding give back exactly the bytes read, so every line can go
    // through the encoder. A file without a mark stays so while it still reads as UTF-8;
    // otherwise the mark makes the next read certain.
    std::vector<std::string> texts;
    texts.reserve(m_lines.size());
    for (const Line& line : m_lines)
        texts.push_back(line.text);
    return text::EncodeText(
        texts, m_encoding == text::Encoding::Utf8 ? text::Encoding::Utf8 : text::Encoding::Utf8Bom,
        &chosen);
}

std::unique_ptr<FileReplacement> ProfileFile::BeginSave(Platform& platform, std::string& error,
                                                        text::Encoding* chosen) const {
    if (!m_loadError.empty()) {
        error = m_loadError;
        return nullptr;
    }
    text::Encoding encoding = m_encoding;
    const std::string bytes = FileBytes(encoding);
    auto replacement = platform.BeginReplaceFile(m_path, error);
    if (replacement && !replacement->Write(bytes)) {
        replacement->Commit(error); // says why the write failed; nothing is put in place
        return nullptr;
    }
    if (chosen)
        *chosen = encoding;
    return replacement;
}

bool ProfileFile::Save(Platform& platform, std::string& error) {
    if (m_loadError.empty() && !m_modified)
        return true;
    text::Encoding chosen = m_encoding;
    const auto replacement = BeginSave(platform, error, &chosen);
    if (!replacement || !replacement->Commit(error))
        return false;
    m_encoding = chosen;
    for (Line& line : m_lines) {
        // What is on disk now, for the next save of this object.
        if (chosen != text::Encoding::Cp932) {
            line.raw.reset();
        } else if (!line.raw) {
            line.raw = text::EncodeLine(line.text, chosen);
        }
    }
    m_modified = false;
    return true;
}

} // namespace tavolin
