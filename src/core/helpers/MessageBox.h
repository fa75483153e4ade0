#pragma once

#include "core/View.h"

#include <string>

namespace tavolin {

// Every message of the program goes through here: the kind's sound, then a modal box with
// the kind's title and icon and the given buttons. Returns the button pressed.
MsgResult ShowMessageBox(View& view, const std::string& text, MsgKind kind, unsigned buttons,
                         int helpContext = 0);

// An error with an OK button.
void ShowError(View& view, const std::string& text);

// The title a message box of this kind carries ("警告", "エラー", "情報", "確認"; the
// application's title for a custom box).
std::string MessageTitle(MsgKind kind);

} // namespace tavolin
