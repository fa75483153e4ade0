#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/text/TextFile.h"

namespace tavolin {

class FileReplacement;
class Platform;

// A settings file of "[Section]" and "key=value" lines, read and changed as the system's
// profile-file functions do: names compare without regard to ASCII case, blanks around names
// and values and matching quotes around a value are ignored, other lines stay where they are,
// a new key goes after the last key of its section and a new section at the end. Of two
// sections or keys of one name the first is read and changed.
//
// Untouched lines are written back with the bytes they were read with. The file keeps its
// encoding unless a written text has no code there or would read back as another encoding;
// then it becomes UTF-8 with a mark. One object is one load.
class ProfileFile {
public:
    // Loads `path`; a missing file reads as empty. One that cannot be read, or is UTF-16 or
    // UTF-32, reads as empty too, and LoadError() says why: it is never overwritten.
    explicit ProfileFile(std::string path);

    const std::string& Path() const { return m_path; }
    // Why an existing file could not be read; empty when it was read or is missing.
    const std::string& LoadError() const { return m_loadError; }

    // The value of a key, or `defaultValue` when the section or key is missing.
    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& defaultValue) const;
    // The value as an integer (decimal, or "$"/"0x" hexadecimal), else `defaultValue`.
    int ReadInteger(const std::string& section, const std::string& key, int defaultValue) const;
    // Every "key=value" entry of a section in file order, as spelt in the file.
    std::vector<std::pair<std::string, std::string>> ReadSection(const std::string& section) const;
    bool HasSection(const std::string& section) const;

    // Sets a key, keeping an existing key's spelling. False, and nothing changed, when the
    // names or value cannot stand in one line (empty names, a line break, a key with "=" or
    // starting with "[" or ";").
    bool WriteString(const std::string& section, const std::string& key, const std::string& value);
    bool WriteInteger(const std::string& section, const std::string& key, int value);
    // Removes the section's line and every line after it up to the next section.
    void EraseSection(const std::string& section);

    // Whether the lines changed since the load or the last save.
    bool Modified() const { return m_modified; }
    // The encoding the file has on disk (after a save: the one it was written in).
    text::Encoding FileEncoding() const { return m_encoding; }

    // Writes the file back atomically when it was modified. False, with `error` saying why,
    // when it could not be written (or not read at load); the file is then as it was.
    bool Save(Platform& platform, std::string& error);
    // The whole new file in an uncommitted replacement, for a caller that puts two files in
    // place together (this object does not learn of the commit); `chosen` receives its
    // encoding. Nothing, with `error`, as for Save.
    std::unique_ptr<FileReplacement> BeginSave(Platform& platform, std::string& error,
                                               text::Encoding* chosen = nullptr) const;

private:
    struct Line {
        std::string text;               // UTF-8, without the line end
        std::optional<std::string> raw; // its code page 932 bytes on disk, while unchanged
    };

    std::size_t FindSection(const std::string& section) const;
    std::size_t SectionEnd(std::size_t sectionLine) const;
    std::size_t FindKey(std::size_t sectionLine, const std::string& key) const;
    std::string FileBytes(text::Encoding& chosen) const;

    std::string m_path;
    std::string m_loadError;
    text::Encoding m_encoding = text::Encoding::Cp932;
    std::vector<Line> m_lines;
    bool m_modified = false;
};

} // namespace tavolin
