#pragma once

#include <string>
#include <string_view>

namespace tavolin::windesktop {

// UTF-8 inside the program, UTF-16 at every call to the system. Invalid UTF-8 cannot name a
// file on Windows; its bytes become U+FFFD, so such a name is simply not found.
std::wstring Wide(std::string_view utf8);
// A name from the system; unpaired surrogates become U+FFFD.
std::string Utf8(std::wstring_view wide);

// The system's text for an error code (GetLastError, or the code part of an HRESULT), without
// its line end; "error <code>" when the system has none.
std::string SystemErrorText(unsigned long code);

} // namespace tavolin::windesktop
