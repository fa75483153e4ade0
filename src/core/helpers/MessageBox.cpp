#include "core/helpers/MessageBox.h"

namespace tavolin {

std::string MessageTitle(MsgKind kind) {
    switch (kind) {
    case MsgKind::Warning:
        return "警告";
    case MsgKind::Error:
        return "エラー";
    case MsgKind::Information:
        return "情報";
    case MsgKind::Confirmation:
        return "確認";
    case MsgKind::Custom:
        break;
    }
    return "Tavolin";
}

MsgResult ShowMessageBox(View& view, const std::string& text, MsgKind kind, unsigned buttons,
                         int helpContext) {
    view.Beep(kind);
    return view.ShowMessage(text, kind, buttons, helpContext);
}

void ShowError(View& view, const std::string& text) {
    ShowMessageBox(view, text, MsgKind::Error, msg_buttons::kOkOnly);
}

} // namespace tavolin
