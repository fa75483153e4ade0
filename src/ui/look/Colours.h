#pragma once

#include "core/helpers/Convert.h"

#include <QColor>
#include <QPalette>

#include <string_view>

namespace tavolin {

// The colour to draw for a colour of the settings: its own red, green and blue, or for a
// system colour ("clBtnFace", "clWindow", ...) the matching colour of the palette now, so
// that the window follows the desktop's theme while the settings keep the name.
QColor ToQColor(const Colour& colour, const QPalette& palette);
// The same with the application's palette.
QColor ToQColor(const Colour& colour);
// A colour chosen on screen as a colour of the settings: its red, green and blue.
Colour FromQColor(const QColor& colour);

// A system colour by its name in the palette.
QColor SystemColour(std::string_view name, const QPalette& palette);

} // namespace tavolin
