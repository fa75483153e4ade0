#include "ui/launcher/SessionEndGuard.h"

namespace tavolin {

// On Windows the end of the session arrives as window messages, which Qt turns into the
// session manager's commit request; there are no signals to catch.
void SessionEndGuard::WatchEndSignals() {}

void SessionEndGuard::StopWatchingEndSignals() {}

} // namespace tavolin
