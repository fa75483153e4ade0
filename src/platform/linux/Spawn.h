#pragma once

#include <string>
#include <vector>

namespace tavolin::linuxdesktop {

// Where starting a program failed.
enum class SpawnStage {
    None,          // started
    Fork,          // no process could be created
    WorkingFolder, // the working folder could not be entered
    Exec,          // the program could not be executed
};

struct SpawnResult {
    SpawnStage failedAt = SpawnStage::None;
    int error = 0; // errno of the failing call
    bool Started() const { return failedAt == SpawnStage::None; }
};

// Starts `program` (a path; no search of PATH, no shell) with the argument vector
// [program] + `arguments`, in `workingFolder` when it is not empty, as a process of its own
// session that the caller never waits for: an intermediate child starts it and exits at
// once, so the program becomes a child of init (or the session's subreaper) and leaves no
// zombie behind. Returns when the program has been executed or has failed to be; a failure
// of the exec itself (missing interpreter, no permission, bad format) is reported through a
// close-on-exec pipe. The program gets the caller's environment, stdin from /dev/null, the
// caller's stdout and stderr, default signal handling, and no other open descriptors.
SpawnResult StartDetached(const std::string& program, const std::vector<std::string>& arguments,
                          const std::string& workingFolder);

} // namespace tavolin::linuxdesktop
