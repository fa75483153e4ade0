#include "ui/look/Colours.h"

#include <QApplication>

#include <array>
#include <utility>

namespace tavolin {

namespace {

struct SystemRole {
    std::string_view name;
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

// Qt has no caption, desktop or border colours; those take the palette's colours that
// themes use for the same purpose (selection for an active caption, the window face for
// borders).
constexpr std::array<SystemRole, 24> kRoles{{
    {"clBackground", QPalette::Active, QPalette::Dark},
    {"clActiveCaption", QPalette::Active, QPalette::Highlight},
    {"clInactiveCaption", QPalette::Inactive, QPalette::Dark},
    {"clMenu", QPalette::Active, QPalette::Window},
    {"clWindow", QPalette::Active, QPalette::Base},
    {"clWindowFrame", QPalette::Active, QPalette::Shadow},
    {"clMenuText", QPalette::Active, QPalette::WindowText},
    {"clWindowText", QPalette::Active, QPalette::Text},
    {"clCaptionText", QPalette::Active, QPalette::HighlightedText},
    {"clActiveBorder", QPalette::Active, QPalette::Window},
    {"clInactiveBorder", QPalette::Inactive, QPalette::Window},
    {"clAppWorkSpace", QPalette::Active, QPalette::Mid},
    {"clHighlight", QPalette::Active, QPalette::Highlight},
    {"clHighlightText", QPalette::Active, QPalette::HighlightedText},
    {"clBtnFace", QPalette::Active, QPalette::Button},
    {"clBtnShadow", QPalette::Active, QPalette::Dark},
    {"clGrayText", QPalette::Disabled, QPalette::Text},
    {"clBtnText", QPalette::Active, QPalette::ButtonText},
    {"clInactiveCaptionText", QPalette::Inactive, QPalette::Midlight},
    {"clBtnHighlight", QPalette::Active, QPalette::Light},
    {"cl3DDkShadow", QPalette::Active, QPalette::Shadow},
    {"cl3DLight", QPalette::Active, QPalette::Midlight},
    {"clInfoText", QPalette::Active, QPalette::ToolTipText},
    {"clInfoBk", QPalette::Active, QPalette::ToolTipBase},
}};

} // namespace

QColor SystemColour(std::string_view name, const QPalette& palette) {
    for (const SystemRole& r : kRoles) {
        if (r.name == name)
            return palette.color(r.group, r.role);
    }
    return Qt::black; // not the name of a system colour
}

QColor ToQColor(const Colour& colour, const QPalette& palette) {
    if (colour.none)
        return Qt::transparent;
    if (!colour.system.empty())
        return SystemColour(colour.system, palette);
    return {colour.red, colour.green, colour.blue};
}

QColor ToQColor(const Colour& colour) {
    return ToQColor(colour, QApplication::palette());
}

Colour FromQColor(const QColor& colour) {
    Colour c;
    c.red = static_cast<std::uint8_t>(colour.red());
    c.green = static_cast<std::uint8_t>(colour.green());
    c.blue = static_cast<std::uint8_t>(colour.blue());
    return c;
}

} // namespace tavolin
