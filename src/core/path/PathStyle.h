#pragma once

namespace tavolin {

// How paths are spelled on a system. The helpers take the style explicitly, so the
// Windows forms ("C:\dir\file", "C:" for a drive root) are exercised on Linux too.
enum class PathStyle {
    Windows, // "\" separator, "X:" drive, ":" also ends a folder part ("C:file")
    Posix,   // "/" separator; the root "/" is never trimmed away
};

// The separator the program writes in a path of the style.
constexpr char SeparatorOf(PathStyle style) {
    return style == PathStyle::Windows ? '\\' : '/';
}

} // namespace tavolin
