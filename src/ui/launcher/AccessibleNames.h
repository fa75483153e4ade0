#pragma once

#include <QString>

class QWidget;

namespace tavolin {

class ButtonStore;
enum class PathStyle;

// What a screen reader reads for the launcher window's controls, found by their object names.

// The key of launch button n (1 to 24): "F5", "Shift+F3".
QString SlotKeyText(int n);
// A launch button's name: its key and its title, or "空き" for an empty button.
QString SlotAccessibleName(int n, const QString& title, bool used);

// The names of the controls that do not change: the page box, the gauges, the two drop areas
// and the button bar; the clock and the memory figures, whose texts are their names, get a
// description saying what they are.
void NameWindowControls(QWidget* window);
// The names that follow the page on screen: the 24 buttons (name and target path) and the
// category button.
void NameSlotsAndCategory(QWidget* window, const ButtonStore& store, PathStyle style);

} // namespace tavolin
