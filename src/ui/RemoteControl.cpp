#include "ui/RemoteControl.h"

#include "core/remote/RequestRunner.h"
#include "ui/TFrmMain.h"

#include <QApplication>

#include <exception>
#include <optional>
#include <string>

namespace tavolin {

namespace {

std::string OneLine(std::string text) {
    for (char& c : text) {
        if (c == '\r' || c == '\n')
            c = ' ';
    }
    return text;
}

} // namespace

void RemoteControl::CarryOut(const remote::Request& request, const SingleInstance::Reply& reply) {
    if (!request.OnlyShows() && (QApplication::activeModalWidget() != nullptr ||
                                 QApplication::activePopupWidget() != nullptr)) {
        // A dialog's working state must not change under it, nor the button a menu was
        // opened on; the keys wait for them too.
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
    if (plan.answer.status != remote::kExitDone) {
        reply(plan.answer);
        return;
    }

    if (plan.press) {
        // The launch's outcome is the answer. A launch that fails says why in a message box,
        // which waits for the user: the caller hears of the failure before it shows.
        std::optional<remote::Answer> failed;
        QtView& view = m_window.ViewOf();
        view.SetBeforeMessage([&failed, &reply](const std::string& text, MsgKind) {
            if (!failed) {
                failed = remote::Answer{remote::kExitFailed, OneLine(text)};
                reply(*failed);
            }
        });
        try {
            m_window.FExecute(*plan.press);
        } catch (...) {
            view.SetBeforeMessage({});
            if (!failed)
                reply({remote::kExitFailed, "the button could not be launched"});
            throw;
        }
        view.SetBeforeMessage({});
        if (failed)
            return;
    }
    if (!plan.quit)
        reply(plan.answer);
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
