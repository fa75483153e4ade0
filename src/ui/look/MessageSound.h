#pragma once

#include "core/View.h"

namespace tavolin {

// Plays the system sound that goes with a message of the given kind, as its box appears.
void PlayMessageSound(MsgKind kind);

} // namespace tavolin
