#pragma once

#include <stdexcept>
#include <string>

namespace tavolin {

// A text that should have been a number, colour or path and is not. Its message is shown
// to the user in an error box when no caller handles it.
class ConversionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Ends the current operation without a message: the event loop catches it and shows
// nothing. Callers' clean-up (RAII) still runs on the way out.
class SilentAbort : public std::exception {
public:
    const char* what() const noexcept override { return "operation aborted"; }
};

} // namespace tavolin
