#include "ui/look/MessageSound.h"

#include <QApplication>

namespace tavolin {

void PlayMessageSound(MsgKind) {
    // Qt offers one system sound; the desktop's sound theme decides how it sounds.
    QApplication::beep();
}

} // namespace tavolin
