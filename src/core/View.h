#pragma once

#include <string>

namespace tavolin {

// Kinds of message, numbered as the message box helper takes them.
enum class MsgKind : int {
    Warning = 0,      // "警告"
    Error = 1,        // "エラー"
    Information = 2,  // "情報"
    Confirmation = 3, // "確認"
    Custom = 4,       // the application's title
};

// The buttons of a message box, as a bit set.
namespace msg_buttons {
inline constexpr unsigned kYes = 1u << 0;
inline constexpr unsigned kNo = 1u << 1;
inline constexpr unsigned kOk = 1u << 2;
inline constexpr unsigned kCancel = 1u << 3;
inline constexpr unsigned kAbort = 1u << 4;
inline constexpr unsigned kRetry = 1u << 5;
inline constexpr unsigned kIgnore = 1u << 6;
inline constexpr unsigned kAll = 1u << 7;
inline constexpr unsigned kNoToAll = 1u << 8;
inline constexpr unsigned kYesToAll = 1u << 9;
inline constexpr unsigned kHelp = 1u << 10;

inline constexpr unsigned kOkOnly = kOk;                       // 4
inline constexpr unsigned kOkCancel = kOk | kCancel;           // 12
inline constexpr unsigned kYesNo = kYes | kNo;                 // 3
inline constexpr unsigned kYesNoCancel = kYes | kNo | kCancel; // 11
inline constexpr unsigned kCancelRetry = kCancel | kRetry;     // 40
} // namespace msg_buttons

// The button the user pressed.
enum class MsgResult : int {
    None = 0,
    Ok = 1,
    Cancel = 2,
    Abort = 3,
    Retry = 4,
    Ignore = 5,
    Yes = 6,
    No = 7,
    All = 8,
    NoToAll = 9,
    YesToAll = 10,
};

// What the core needs from the user interface. The launcher window implements it with
// real widgets; tests fake it.
class View {
public:
    virtual ~View() = default;

    // Plays the system sound that belongs to a kind of message.
    virtual void Beep(MsgKind kind) = 0;
    // Shows a modal message box, centred on the screen, and returns the button pressed.
    virtual MsgResult ShowMessage(const std::string& text, MsgKind kind, unsigned buttons,
                                  int helpContext) = 0;
    // The hourglass while a long operation runs (true) and the normal cursor after it.
    virtual void SetBusy(bool busy) = 0;
};

// The hourglass for the lifetime of the guard, restored on every way out.
class BusyCursor {
public:
    explicit BusyCursor(View& view) : m_view(view) { m_view.SetBusy(true); }
    ~BusyCursor() { m_view.SetBusy(false); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

private:
    View& m_view;
};

} // namespace tavolin
