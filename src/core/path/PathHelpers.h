#pragma once

#include "core/path/PathStyle.h"

#include <cstddef>
#include <string>

namespace tavolin {

class Platform;

// Splitting button lines ("page:number=value") and button values ("target <TS>title<TE>").
// All separators are found by first occurrence.
std::string KeyPart(const std::string& text);    // before the first ":"
std::string NumberPart(const std::string& text); // between the first ":" and the first "="
std::string ValuePart(const std::string& text);  // after the first "="
std::string TargetPart(const std::string& value);
std::string TitlePart(const std::string& value, PathStyle style);

// The folder and the file name of a button value's target, as the file system sees it: a
// missing target or a folder is all folder; a file is split at its last separator.
std::string FolderOf(const std::string& value, const Platform& platform);
std::string FileNameOf(const std::string& value, const Platform& platform);

// "target <TS>title<TE>" for a slot; empty for an empty slot (empty path).
std::string EncodeButtonValue(const std::string& path, const std::string& file,
                              const std::string& title, PathStyle style);

// Folder and file name joined by one separator, in the style's own separators (NativePath);
// an empty file name gives the folder.
std::string JoinPath(const std::string& folder, const std::string& file, PathStyle style);
// A path in the style's own separators: in the Windows style every "/" of a drive path
// ("C:/x") or a rooted one ("/x", "//server/share") becomes "\". Anything else, such as an
// internet address, stays as it is; POSIX paths always do.
std::string NativePath(std::string path, PathStyle style);

// Whether a text holds a CR, LF or NUL: none of them can stand in a line of the data file.
bool HasLineBreakOrNul(const std::string& text);
// The text with every CR, LF and NUL replaced by a blank (tabs stay), for titles that come
// from outside the data file.
std::string BlankLineBreaks(std::string text);

// Without trailing spaces (0x20 only; tabs stay).
std::string TrimTrailingBlanks(const std::string& text);

// Without trailing separators, however many ("\" and "/" in the Windows style). The POSIX
// root "/" stays "/".
std::string TrimTrailingBackslashes(const std::string& text, PathStyle style);

// 1-based byte position of the last occurrence of `c`, 0 when absent.
std::size_t LastPosition(char c, const std::string& text);

// Position (0-based) of the last separator of a path, or npos: "\", "/" or ":" for
// Windows (which takes "/" as a separator too), "/" for POSIX.
std::size_t LastSeparator(const std::string& path, PathStyle style);

// The path with every component spelled with its stored (long) name. Throws
// ConversionError("ファイルが見つかりません。") when a component does not exist.
std::string ExpandLongName(const std::string& path, const Platform& platform);

} // namespace tavolin
