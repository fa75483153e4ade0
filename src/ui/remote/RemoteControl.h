#pragma once

#include "core/remote/Request.h"
#include "ui/remote/SingleInstance.h"

class QWidget;

namespace tavolin {

class TFrmMain;

// Carries out the command line's requests on the launcher window: those that later copies
// hand over through the single-instance channel, and the first copy's own once its window
// shows. A press is answered with the launch's outcome, sent before a message box of a
// failed launch waits for the user; an empty button is answered as a failure and never
// browsed for. While a dialog or a menu of the launcher is open, only coming forward is done.
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
