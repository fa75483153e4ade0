#include "ui/look/MessageSound.h"

#include <windows.h>

namespace tavolin {

void PlayMessageSound(MsgKind kind) {
    // The sounds the user has set for each kind of message in the sound settings.
    UINT sound = MB_OK;
    switch (kind) {
    case MsgKind::Warning:
    case MsgKind::Error:
        sound = MB_ICONEXCLAMATION;
        break;
    case MsgKind::Information:
        sound = MB_ICONASTERISK;
        break;
    case MsgKind::Confirmation:
        sound = MB_ICONQUESTION;
        break;
    case MsgKind::Custom:
        break;
    }
    MessageBeep(sound);
}

} // namespace tavolin
