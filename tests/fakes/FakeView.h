#pragma once

#include "core/View.h"

#include <deque>
#include <string>
#include <vector>

namespace tavolin::testing {

// Records every message and beep, and answers message boxes from a script (OK, or the first
// button of the set, when the script is empty).
class FakeView : public View {
public:
    struct Message {
        std::string text;
        MsgKind kind;
        unsigned buttons;
        int helpContext;
    };

    void Beep(MsgKind kind) override { beeps.push_back(kind); }

    MsgResult ShowMessage(const std::string& text, MsgKind kind, unsigned buttons,
                          int helpContext) override {
        messages.push_back({text, kind, buttons, helpContext});
        if (!answers.empty()) {
            const MsgResult answer = answers.front();
            answers.pop_front();
            return answer;
        }
        return FirstButtonOf(buttons);
    }

    void SetBusy(bool busy) override { busyChanges.push_back(busy); }

    static MsgResult FirstButtonOf(unsigned buttons) {
        if (buttons & msg_buttons::kOk)
            return MsgResult::Ok;
        if (buttons & msg_buttons::kYes)
            return MsgResult::Yes;
        if (buttons & msg_buttons::kCancel)
            return MsgResult::Cancel;
        return MsgResult::None;
    }

    std::vector<Message> messages;
    std::vector<MsgKind> beeps;
    std::vector<bool> busyChanges;
    std::deque<MsgResult> answers; // scripted answers, used in order
};

} // namespace tavolin::testing
