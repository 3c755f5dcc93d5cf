#pragma once

#include "placement/placementtypes.h"

#include <QSize>

class QWidget;

// The window system's side of the placement, on Qt. There are no minimised or maximised
// positions here: they are always (0, 0). The normal rectangle is the window's geometry without
// its frame (QWidget::geometry / normalGeometry), which is what setGeometry puts back.

TWindowPlacement windowPlacement(const QWidget *window);

// Gives the window this normal rectangle without changing its state or its visibility.
void applyNormalRect(QWidget *window, const QRect &rect);

// The primary screen's size in pixels and its logical pixels per inch, rounded.
QSize primaryScreenSize();
int screenPixelsPerInch();

// Whether the window's title bar offers the maximise button, and taking it off or putting it
// back (the window stays shown when it was).
bool hasMaximizeButton(const QWidget *window);
void setMaximizeButton(QWidget *window, bool on);

// A window whose size the user cannot change: its minimum and maximum sizes are equal.
bool isFixedSizeWindow(const QWidget *window);
