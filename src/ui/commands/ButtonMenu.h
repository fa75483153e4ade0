#pragma once

#include "core/commands/ButtonCommands.h"

#include <QMenu>

#include <array>
#include <cstddef>

class QPoint;

namespace tavolin {

class Launcher;
class OptionToolbar;
class Platform;
class WindowControl;

namespace commands {
struct ButtonMenuState;
}

// The button menu `pmBtn`: the commands on one button, the page reset, and shortcuts into
// the window's settings, help and quit. Opened by a right click on a launch button (for that
// button) or elsewhere on the window (for no button).
class ButtonMenu : public QMenu {
    Q_OBJECT
public:
    // The menu's own items and submenus, each a QAction with this objectName. The toolbar's
    // actions it shows as well (settings, help contents, version, quit) are the toolbar's.
    // clang-format off
    enum class ItemId {
        N13, N2, N14, N1, Copy1, Cut1, Paste1, N36, N31, N7, N21, N22, N23, N4,
        N37, N39, N38, N17, N18, N16, N19, N20, N24, N25, N26, N27, N28, N29, N30, Help1, N9
    };
    // clang-format on
    static constexpr std::size_t kItemCount = 31;

    ButtonMenu(Launcher& core, WindowControl& window, Platform& platform, OptionToolbar& options);

    // Prepares the menu for slot n (1 to 24) or for the window (0) and shows it at `at`.
    void PopupFor(int n, const QPoint& at);

    QAction* Item(ItemId id) const { return m_items[static_cast<std::size_t>(id)]; }
    // The button the menu was last opened for (0: the window), and the one its details item
    // opens the options dialog at.
    int Button() const { return m_button; }
    int DetailsButton() const { return m_detailsButton; }

private:
    void CreateItems();
    void Connect(ItemId id, QAction* item);
    void Prepare(const commands::ButtonMenuState& state);
    void pmBtnPopup();

    void N31Click();

    Launcher& m_core;
    WindowControl& m_window;
    Platform& m_platform;
    OptionToolbar& m_options;
    commands::ButtonCommands m_commands;
    std::array<QAction*, kItemCount> m_items{};
    int m_button = 0;
    int m_detailsButton = 1;
};

} // namespace tavolin
