#pragma once

#include <QIcon>

// The program's id on the desktop: its menu entry, its icon and its AppStream component.
inline constexpr char kDesktopId[] = "com.tavorink.Trailscribe";

// The program's icon: the desktop theme's, where the program is installed; otherwise the same
// drawing built into the program.
QIcon trailscribeIcon();
