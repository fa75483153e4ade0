#pragma once

#include "core/View.h"

#include <functional>
#include <string>

class QWidget;

namespace tavolin {

// The core's view on real widgets: message boxes with the program's Japanese button texts,
// centred on the screen, and the hourglass cursor.
class QtView : public View {
public:
    explicit QtView(QWidget* owner = nullptr) : m_owner(owner) {}

    void Beep(MsgKind kind) override;
    MsgResult ShowMessage(const std::string& text, MsgKind kind, unsigned buttons,
                          int helpContext) override;
    void SetBusy(bool busy) override;

    // A message that waits for nobody: the kind's sound, a line on standard error and a box
    // that is not modal and leaves the keyboard with the window that has it, so the program
    // stays usable while the box is open. Returns the box (nothing when unattended); it
    // deletes itself when closed.
    QWidget* ShowNotice(const std::string& text, MsgKind kind);

    // Called with a message's text and kind before its box waits for the user; empty: none.
    using MessageHook = std::function<void(const std::string& text, MsgKind kind)>;
    void SetBeforeMessage(MessageHook hook) { m_beforeMessage = std::move(hook); }

    // When nobody may be at the screen (the program ends on a signal or with the session),
    // every view writes its messages to standard error instead of waiting for a click, and
    // answers as a box closed with Escape would.
    static void SetUnattended(bool unattended);
    static bool Unattended();

private:
    QWidget* m_owner;
    int m_busyDepth = 0;
    MessageHook m_beforeMessage;
};

} // namespace tavolin
