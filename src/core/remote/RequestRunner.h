#pragma once

#include "core/remote/Protocol.h"

#include <optional>

namespace tavolin {

class Launcher;

namespace remote {

// What is left for the window once the choices of a request are made.
struct Plan {
    Answer answer;            // what the caller is told, before the press runs
    std::optional<int> press; // a used slot of the page now on screen
    bool show = false;
    bool quit = false;
};

// Chooses the request's category (its page 1) and page, and checks the button to press. An
// unknown category or an empty button fails the request, and nothing after the failure is
// done. Never asks the user anything: an empty button is answered, not browsed for.
Plan PrepareRequest(Launcher& launcher, const Request& request);

} // namespace remote
} // namespace tavolin
