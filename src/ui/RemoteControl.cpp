#include "ui/RemoteControl.h"

#include "core/remote/RequestRunner.h"
#include "ui/TFrmMain.h"

#include <QApplication>

#include <exception>

namespace tavolin {

void RemoteControl::CarryOut(const remote::Request& request, const SingleInstance::Reply& reply) {
    if (!request.OnlyShows() && QApplication::activeModalWidget() != nullptr) {
        // A dialog's working state must not change under it; the keys wait for it too.
        reply({remote::kExitFailed, "the launcher is showing a dialog; close it first"});
        return;
    }
    remote::Plan plan;
    try {
        plan = remote::PrepareRequest(m_window.Core(), request);
    } catch (const std::exception& e) {
        reply({remote::kExitFailed, e.what()});
        throw; // shown in the running copy like any error of a handler
    }
    m_window.SyncFromStore();
    if (plan.answer.status != remote::kExitDone || !plan.quit)
        reply(plan.answer);
    if (plan.answer.status != remote::kExitDone)
        return;

    if (plan.press)
        m_window.FExecute(*plan.press);
    if (plan.show)
        ComeForward(m_window);
    if (plan.quit) {
        // The window's own close path: the settings, then the page, are saved before the
        // caller hears that it is done.
        const bool closed = m_window.close();
        reply(closed ? remote::Answer{}
                     : remote::Answer{remote::kExitFailed, "the launcher did not close"});
    }
}

void RemoteControl::ComeForward(QWidget& window) {
    if (window.isMinimized())
        window.showNormal();
    window.show();
    window.raise();
    window.activateWindow();
}

} // namespace tavolin
