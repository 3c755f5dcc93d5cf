#pragma once

#include <functional>

class QWidget;
class TWebBrowser;

// The keys every browser window answers, anywhere in the window: Alt+Left and Alt+Right go back
// and forward (nothing happens where the history cannot move), F5 reloads, Ctrl+L puts the focus
// in the address field with all its text selected. `view` gives the window's present web view
// (a window may replace it); `addressField` is a line edit or an editable combo box.
void installBrowserKeys(QWidget *window, std::function<TWebBrowser *()> view, QWidget *addressField);
