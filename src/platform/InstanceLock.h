#pragma once

#include "core/Platform.h"

#include <functional>
#include <string>
#include <utility>

namespace tavolin {

// What both systems' locks of the program's copies share.

// Letters, digits, ".", "_" and "-" stay; anything else would reach a file or pipe name.
inline std::string SafeName(std::string text) {
    for (char& c : text) {
        const bool safe = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                          (c >= '0' && c <= '9') || c == '.' || c == '_' || c == '-';
        if (!safe)
            c = '_';
    }
    return text;
}

// A lock the system holds for as long as a handle of it is open (a locked file, a mutex), so
// that it ends with the process however the process ends: held while this lives, and let go
// by `close` when it goes.
class HandleLock final : public HeldLock {
public:
    explicit HandleLock(std::function<void()> close) : m_close(std::move(close)) {}
    ~HandleLock() override { m_close(); }
    HandleLock(const HandleLock&) = delete;
    HandleLock& operator=(const HandleLock&) = delete;

private:
    std::function<void()> m_close;
};

} // namespace tavolin
