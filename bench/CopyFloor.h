#pragma once

// The floor the file-writing benchmarks are measured against: a file copied in this process
// in 1 MiB pieces and flushed to disk, as a save of the same bytes at best would be.
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace tavolin::bench {

inline void CopyAndSync(const std::string& from, const std::string& to) {
    static std::string buffer(1 << 20, '\0');
    const int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
    const int out = open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    for (ssize_t n; (n = read(in, buffer.data(), buffer.size())) > 0;) {
        if (write(out, buffer.data(), static_cast<std::size_t>(n)) != n)
            std::abort();
    }
    fsync(out);
    close(out);
    close(in);
}

} // namespace tavolin::bench
