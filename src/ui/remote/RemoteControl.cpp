#include "ui/remote/RemoteControl.h"

#include "core/remote/RequestRunner.h"
#include "ui/launcher/TFrmMain.h"

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

// While it lives, the first message the launcher shows fails the request with its text: the
// caller hears of the failure before the box waits for the user.
class FailureWatch {
public:
    FailureWatch(QtView& view, const SingleInstance::Reply& reply) : m_view(view) {
        m_view.SetBeforeMessage([this, &reply](const std::string& text, MsgKind) {
            if (!m_told) {
                m_told = true;
                reply({remote::kExitFailed, OneLine(text)});
            }
        });
    }
    ~FailureWatch() { m_view.SetBeforeMessage({}); }
    FailureWatch(const FailureWatch&) = delete;
    FailureWatch& operator=(const FailureWatch&) = delete;

    bool Told() const { return m_told; }

private:
    QtView& m_view;
    bool m_told = false;
};

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
        // The launch's outcome is the answer; a launch that fails says why in a message box.
        FailureWatch watch(m_window.ViewOf(), reply);
        try {
            m_window.FExecute(*plan.press);
        } catch (...) {
            if (!watch.Told())
                reply({remote::kExitFailed, "the button could not be launched"});
            throw;
        }
        if (watch.Told())
            return;
    }
    if (!plan.quit)
        reply(plan.answer);
    if (plan.show)
        ComeForward(m_window);
    if (plan.quit) {
        // The window's own close path: the settings, then the page, are saved before the
        // caller hears that it is done. A save that fails says why in a message box; one
        // told before (the same failure is not told twice) fails all the same.
        FailureWatch watch(m_window.ViewOf(), reply);
        const bool closed = m_window.close();
        if (watch.Told())
            return;
        if (!closed) {
            reply({remote::kExitFailed, "the launcher did not close"});
        } else if (!m_window.SavedAtClose()) {
            reply({remote::kExitFailed, "the launcher closed but could not save its data"});
        } else {
            reply({});
        }
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
