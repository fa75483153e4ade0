#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/text/TextFile.h"

namespace tavolin {

class Platform;

// A settings file of the profile kind ("[Section]" lines, "key=value" lines), read and
// changed the way the system's profile-file functions do it: section and key names compare
// without regard to case, blanks around names and values are ignored, a value in matching
// quotes loses them, comments and unknown lines stay where they are, a new key goes to the
// end of its section and a new section to the end of the file.
//
// One object is one load; Save writes the whole file back at once and atomically.
class ProfileFile {
public:
    // Loads `path`; a missing or unreadable file reads as empty.
    explicit ProfileFile(std::string path);

    const std::string& Path() const { return m_path; }

    // The value of a key, or `defaultValue` when the section or key is missing.
    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& defaultValue) const;
    // The value as an integer (leading decimal digits with an optional sign, as the system
    // reads it); `defaultValue` when missing or not an integer.
    int ReadInteger(const std::string& section, const std::string& key, int defaultValue) const;
    // Every "key=value" entry of a section in file order, values as written.
    std::vector<std::pair<std::string, std::string>> ReadSection(const std::string& section) const;
    bool HasSection(const std::string& section) const;

    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    void WriteInteger(const std::string& section, const std::string& key, int value);
    void DeleteKey(const std::string& section, const std::string& key);
    void EraseSection(const std::string& section);

    // Whether anything changed since the load or the last save.
    bool Modified() const { return m_modified; }

    // Writes the file back atomically (through the platform). Creates a missing file.
    // False, with `error` saying why, when it could not be written; the file on disk is then
    // as it was.
    bool Save(Platform& platform, std::string& error);

private:
    std::string m_path;
    text::Encoding m_encoding = text::Encoding::Cp932;
    std::vector<std::string> m_lines; // UTF-8, without line ends
    bool m_modified = false;
};

// One-key operations, each a load and (for writes) one atomic save, as the profile-file
// functions of the system do. The write functions return false when the file could not be
// saved.
std::string ReadProfileString(const std::string& path, const std::string& section,
                              const std::string& key, const std::string& defaultValue);
bool WriteProfileString(Platform& platform, const std::string& path, const std::string& section,
                        const std::string& key, const std::string& value);
bool EraseProfileSection(Platform& platform, const std::string& path, const std::string& section);

} // namespace tavolin
