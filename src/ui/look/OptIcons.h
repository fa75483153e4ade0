#pragma once

#include <QIcon>
#include <QPixmap>

class QString;

namespace tavolin {

// The option image list `ilOpt`: 32 pictures of 16 x 16 by index, from the desktop's icon
// theme (falling back to the Tango theme where the desktop has none). The five window
// positions (15 to 19), which no theme has, are drawn here. An index outside 0 to 31 gives
// a null icon.
QIcon OptIcon(int index);

// The drop areas' pictures `ilArea`, 36 x 45: 0 the delete area, 1 the recycle-bin area,
// 2 and 3 their flashing faces.
QPixmap AreaPicture(int index);

// The icon a launch button shows for a target: a .desktop file's Icon= from the theme, else
// the file type's icon; null when there is none.
QIcon TargetIcon(const QString& path);

// Makes the Tango theme the fallback for names the desktop's theme lacks.
void InstallIconFallback();

} // namespace tavolin
