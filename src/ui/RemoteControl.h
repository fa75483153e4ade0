#pragma once

#include "core/remote/CommandLine.h"
#include "ui/SingleInstance.h"

class QWidget;

namespace tavolin {

class TFrmMain;

// Carries out the command line's requests on the launcher window: those that later copies
// hand over through the single-instance channel, and the first copy's own once its window
// shows. The caller is answered before the button is pressed, so that a message box of the
// launch never holds it; an empty button is answered as a failure and never browsed for.
class RemoteControl {
public:
    explicit RemoteControl(TFrmMain& window) : m_window(window) {}

    void CarryOut(const remote::Request& request, const SingleInstance::Reply& reply);

    // Brings a window to the front, restored when minimised.
    static void ComeForward(QWidget& window);

private:
    TFrmMain& m_window;
};

} // namespace tavolin
