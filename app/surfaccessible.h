#pragma once

class TSurfWindow;
class Tsurfwindow2;

// Names, roles and the Tab order of the windows' parts, for keyboard users and for assistive
// technology. Run at the end of each window's construction, when all its parts exist.
void describeForAccessibility(TSurfWindow *window);
void describeForAccessibility(Tsurfwindow2 *window);
