#pragma once

#include "core/remote/Request.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tavolin::remote {

// The single-instance channel carries one request line from a later copy to the running one
// and one answer line back:
//
//   request show quit category=Caf%C3%A9 page=2 press=17
//   answer 1 no%20such%20category
//
// Words are separated by one space; values are percent-encoded UTF-8 bytes, so a name may
// hold spaces, "=", "%" or line ends. A line (without its "\n") is at most kMaxLine bytes.
inline constexpr std::size_t kMaxLine = 4096;

// A number from low to high in decimal digits (with an optional "-"), at most 9 characters.
std::optional<int> NumberIn(std::string_view text, int low, int high);

// Each ends with "\n".
std::string EncodeRequest(const Request& request);
std::string EncodeAnswer(int status, const std::string& message);

// A line without its "\n". Nothing for a malformed line: a wrong first word, an unknown or
// repeated word, a bad escape, a value out of range, or more than kMaxLine bytes.
std::optional<Request> DecodeRequest(std::string_view line);

struct Answer {
    int status = kExitDone; // kExitDone or kExitFailed
    std::string message;    // why it failed; empty when done
    bool operator==(const Answer&) const = default;
};
std::optional<Answer> DecodeAnswer(std::string_view line);

// The desktop a copy runs on, as the channel's name carries it: the X display's host and
// number without the screen (":72", ":72.0" and "unix:72" are one display), or the Wayland
// display when there is no X display.
std::string DisplayIdentity(std::string_view x11Display, std::string_view waylandDisplay);

} // namespace tavolin::remote
