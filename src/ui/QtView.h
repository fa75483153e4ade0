#pragma once

#include "core/View.h"

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

private:
    QWidget* m_owner;
    int m_busyDepth = 0;
};

} // namespace tavolin
