#pragma once

#include <QString>

class TBannerPanel;

// What assistive technology sees of a banner: the panel as a named group holding its close
// square (a button) and its picture (a link). Installed by the panel and the picture themselves.
void installBannerAccessibility();

// The caption's words without their markup, lines joined by a space.
QString bannerCaptionPlainText(const TBannerPanel *panel);
