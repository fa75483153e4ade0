#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace tavolin {

// `wanted` when it is installed, else an installed Japanese font, so that the Japanese texts
// never show as boxes.
QString JapaneseFontFamily(const QString& wanted);
// The windows' font family: "ＭＳ Ｐゴシック" or the Japanese font that stands in for it.
QString WindowFontFamily();

// The dialogs' font: "ＭＳ Ｐゴシック" at `pixelSize` where it is installed, for which their
// controls are sized. Where another Japanese font stands in, its pixel size is the largest, at
// most `pixelSize`, at which every caption still fits its control.
void ApplyDialogFont(QWidget* dialog, int pixelSize = 12);

// The font of what Qt draws for the program (menus, tool tips, message boxes): the desktop's,
// unless that font cannot draw Japanese, in which every caption here is written. Then the
// Japanese font of the windows stands in at the desktop's size, rather than each Japanese
// character being drawn from whatever font has it.
void ApplyApplicationFont();

// The captions of the labels, check boxes, radio buttons, group boxes and push buttons of
// `dialog` that are wider than their controls in the font they have, as "name: text".
QStringList CaptionsThatDoNotFit(const QWidget* dialog);

} // namespace tavolin
