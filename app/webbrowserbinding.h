#pragma once

#include "webview/twebbrowser.h"

// Binds a web view's three events to a window's handlers of the same names, as both windows
// do for their views. The new-window handler answers the engine at once, so it is called
// directly.
template <typename Window>
void bindWebBrowserHandlers(TWebBrowser *view, Window *window)
{
    QObject::connect(view, &TWebBrowser::BeforeNavigate2, window, &Window::WebBrowser2BeforeNavigate2);
    QObject::connect(view, &TWebBrowser::StatusTextChange, window, &Window::WebBrowser2StatusTextChange);
    QObject::connect(view, &TWebBrowser::NewWindow2, window, &Window::WebBrowser2NewWindow2, Qt::DirectConnection);
}
