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

// A settings file of the profile kind ("[Section]" lines, "key=value" lines), read and
// changed the way the system's profile-file functions do it: section and key names compare
// without regard to ASCII case, blanks (spaces, tabs) around names and values are ignored, a
// value in matching double or single quotes loses them, comments and unknown lines stay
// where they are, a new key goes after the last key of its section and a new section to the
// end of the file. With two sections of one name, or two keys of one name in a section, the
// first one is read and changed; the later ones are kept as they are.
//
// Lines that no change touches are written back with the bytes they were read with, so
// an unrelated write never alters them. A file keeps its encoding (code page 932, UTF-8 with
// or without a mark) unless a written text has no code there, or the written bytes would be
// taken for the other encoding at the next read; then the whole file becomes UTF-8 with a
// byte-order mark.
//
// One object is one load; Save writes the whole file back at once and atomically.
class ProfileFile {
public:
    // Loads `path`. A missing file reads as empty. A file that exists but cannot be read, or
    // is UTF-16 or UTF-32, also reads as empty, and LoadError() says so: such a file is never
    // overwritten.
    explicit ProfileFile(std::string path);

    const std::string& Path() const { return m_path; }
    // Why an existing file could not be read; empty when it was read or is missing.
    const std::string& LoadError() const { return m_loadError; }

    // The value of a key, or `defaultValue` when the section or key is missing.
    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& defaultValue) const;
    // The value as an integer: the whole value must be one (optional sign, decimal digits,
    // or a "$"/"0x" hexadecimal number), or `defaultValue` is returned, as it is when the
    // key is missing.
    int ReadInteger(const std::string& section, const std::string& key, int defaultValue) const;
    // Every "key=value" entry of a section in file order: the key as spelt in the file and
    // the value exactly as written after the "=" (no blanks or quotes removed).
    std::vector<std::pair<std::string, std::string>> ReadSection(const std::string& section) const;
    bool HasSection(const std::string& section) const;

    // Sets a key; an existing line is replaced by "key=value" (keeping the key's spelling).
    // False, and nothing changed, when the names or the value cannot be stored in one line:
    // an empty section or key, a line break anywhere, a key with "=" or starting with "["
    // or ";".
    bool WriteString(const std::string& section, const std::string& key, const std::string& value);
    bool WriteInteger(const std::string& section, const std::string& key, int value);
    // Removes the key's line; nothing happens when it is missing.
    void DeleteKey(const std::string& section, const std::string& key);
    // Removes the section's line and every line after it up to the next section.
    void EraseSection(const std::string& section);

    // Whether the lines changed since the load or the last save.
    bool Modified() const { return m_modified; }
    // The encoding the file has on disk (after a save: the one it was written in).
    text::Encoding FileEncoding() const { return m_encoding; }

    // Writes the file back atomically (through the platform) when it was modified; creates a
    // missing file. False, with `error` saying why, when it could not be written (or the
    // file could not be read at load); the file on disk is then as it was.
    bool Save(Platform& platform, std::string& error);
    // The first half of a save, for a caller that puts two files in place together: the
    // whole new file (modified or not) written into a replacement of it, not yet committed;
    // its Commit puts it in place. Nothing, with `error` saying why, when it could not be
    // written (or the file could not be read at load). This object does not learn of the
    // commit: load the file again to change it further. `chosen`, when given, receives the
    // encoding the new file is written in.
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
