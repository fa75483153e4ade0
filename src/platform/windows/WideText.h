#pragma once

#include <string>
#include <string_view>

namespace tavolin::windesktop {

// UTF-8 inside the program, UTF-16 at every call to the system. Invalid UTF-8 cannot name a
// file on Windows; its bytes become U+FFFD, so such a name is simply not found.
std::wstring Wide(std::string_view utf8);
// A name from the system; unpaired surrogates become U+FFFD.
std::string Utf8(std::wstring_view wide);

// The text the user is shown for a failed call, as on Linux (the core's SystemErrorText): the
// common faults (no permission, no space, a write-protected disk, not found, a folder where a
// file belongs) in our own words with the system's text after them, anything else in the
// system's words. `code` is a GetLastError code, or the code part of an HRESULT; "error
// <code>" stands for a text the system does not have.
std::string SystemErrorText(unsigned long code);
// The same for SHFileOperationW's result, which is one of the shell's own DE_* codes (0x71 to
// 0x88, 0x402, 0x10000) rather than a system error code whenever it is one of those.
std::string ShellOperationErrorText(int result);

} // namespace tavolin::windesktop
