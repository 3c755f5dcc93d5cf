#pragma once

#include <QFont>

// The window designs ask for Tahoma and MS Sans Serif; where those faces are missing they are
// mapped to an installed sans-serif face of the same pixel size.
void installFontSubstitutes();

// Tahoma at a character height of 11 pixels (8 points at 96 dpi), the windows' own font.
QFont tahoma8();
