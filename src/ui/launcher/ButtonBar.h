#pragma once

#include "core/layout/Layout.h"

#include <QHash>
#include <QIcon>
#include <QString>
#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>

class QAction;
class QToolButton;

namespace tavolin {

class Launcher;

// The bar of the 24 launch buttons (`tlbExc`): two rows of twelve, each button bound to its
// action `acF1`..`acF24` and key (F1-F12, Shift+F1-F12), showing its slot's icon and caption
// from the page on screen.
class ButtonBar : public QWidget {
    Q_OBJECT
public:
    // The actions are the window's, so that their keys work wherever its focus is; `execute`
    // runs slot n, `arrange` lays the window out again after the bar changed its size.
    ButtonBar(QWidget& window, Launcher& core, layout::WindowLayout& layout,
              std::function<void(int)> execute, std::function<void()> arrange);

    // The icons, captions and hints of the page on screen, and the buttons sized for them.
    void UpdateButtonFaces();
    // The buttons placed and sized by the icon size and captions settings.
    void SizeButtons();
    // Shows slot n's button pressed (down) or released, painted at once.
    void ShowPressed(int slot, bool down);
    // The slot (1 to 24) whose button `widget` is, or 0.
    int SlotOf(const QObject* widget) const;
    QToolButton* Button(int slot) const { return m_tlb[static_cast<std::size_t>(slot - 1)]; }

private:
    QIcon IconOf(int slot);

    QWidget& m_window;
    Launcher& m_core;
    layout::WindowLayout& m_layout;
    std::function<void()> m_arrange;
    std::array<QToolButton*, 24> m_tlb{};
    std::array<QAction*, 24> m_acF{};
    // The shell icons of the page on screen, by target, made anew at every page load.
    QHash<QString, QIcon> m_icons;
    std::uint64_t m_iconsLoad = 0;
};

} // namespace tavolin
