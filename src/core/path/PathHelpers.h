#pragma once

#include "core/path/PathStyle.h"

#include <cstddef>
#include <string>
#include <utility>

namespace tavolin {

class Platform;
struct FileAttributes;

// Splitting button lines ("page:number=value") and button values ("target <TS>title<TE>").
// All separators are found by first occurrence.
std::string KeyPart(const std::string& text);    // before the first ":"
std::string NumberPart(const std::string& text); // between the first ":" and the first "="
std::string ValuePart(const std::string& text);  // after the first "="
std::string TargetPart(const std::string& value);
std::string TitlePart(const std::string& value, PathStyle style);

// A button value's target split as the file system sees it (a folder or missing: all folder).
std::string FolderOf(const std::string& value, const Platform& platform);
std::string FileNameOf(const std::string& value, const Platform& platform);
// Both of a target whose attributes are known.
std::pair<std::string, std::string>
FolderAndFile(const std::string& target, const FileAttributes& attributes, PathStyle style);

// "target <TS>title<TE>" for a slot; empty for an empty slot (empty path).
std::string EncodeButtonValue(const std::string& path, const std::string& file,
                              const std::string& title, PathStyle style);

// Folder and file name joined by one separator, in the style's own separators.
std::string JoinPath(const std::string& folder, const std::string& file, PathStyle style);
// A path in the style's own separators: a Windows drive or rooted path's "/" become "\";
// anything else (an internet address) stays as it is.
std::string NativePath(std::string path, PathStyle style);

// Whether a text holds a CR, LF or NUL: none of them can stand in a line of the data file.
bool HasLineBreakOrNul(const std::string& text);
// The text with every CR, LF and NUL replaced by a blank, for titles from outside the file.
std::string BlankLineBreaks(std::string text);

// Without trailing spaces (0x20 only; tabs stay).
std::string TrimTrailingBlanks(const std::string& text);

// Without trailing separators; the POSIX root "/" stays "/".
std::string TrimTrailingBackslashes(const std::string& text, PathStyle style);

// 1-based byte position of the last occurrence of `c`, 0 when absent.
std::size_t LastPosition(char c, const std::string& text);

// Position of the last separator of a path ("\", "/" or ":" for Windows), or npos.
std::size_t LastSeparator(const std::string& path, PathStyle style);

// The path spelt with its components' stored (long) names; throws ConversionError when one
// does not exist.
std::string ExpandLongName(const std::string& path, const Platform& platform);

} // namespace tavolin
