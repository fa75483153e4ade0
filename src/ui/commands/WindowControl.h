#pragma once

class QWidget;

namespace tavolin {

class InfoPanel;
class View;

// What the option toolbar and the button menu need of the launcher window besides the
// launcher's core: the widget itself (to parent, raise, lower, hide, show, focus and close),
// its messages, and the window's dialogs and activation handling.
class WindowControl {
public:
    virtual ~WindowControl() = default;

    virtual QWidget& Widget() = 0;
    // Message boxes and the hourglass, owned by the window.
    virtual View& ViewOf() = 0;
    // The information panel, whose figures are taken again when it is shown.
    virtual InfoPanel& Panel() = 0;

    // Launches slot n's button (an empty one: browses for its target).
    virtual void FExecute(int slot) = 0;
    // The options dialog for button n of the page, or (n = 0) for the window.
    virtual void OpenOptions(int n) = 0;
    // Puts the file or folder the user chooses in the browse dialog on slot n.
    virtual void BrowseForSlot(int n) = 0;
    // Shows the category, page and buttons after the core changed them.
    virtual void SyncFromStore() = 0;
    // The memo button's picture: whether there is a memo.
    virtual void ShowMemoPicture() = 0;

    // Around a window of the program's own that is not modal: the launcher shows itself
    // inactive, its look rests while held, and it asks to be active again afterwards.
    virtual void AppDeactivate() = 0;
    virtual void HoldActivation(bool held) = 0;
    virtual void ActivateAfterDialog() = 0;
};

} // namespace tavolin
