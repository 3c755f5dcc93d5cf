#pragma once

#include <QIcon>
#include <QList>

// The toolbar's 16 x 16 images (SurfToolIcons), by image index: 0 back, 1 forward, 2 stop,
// 3 add, 4 delete, 5 save, 6 clear, 7 close; 8 is the glyph of "Go!".
QList<QIcon> makeSurfToolIcons();
