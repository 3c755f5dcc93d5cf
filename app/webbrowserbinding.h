#pragma once

#include "webview/twebbrowser.h"

// Binds a web view's three events to a window's handlers of the same names, as both windows
// do for their views.
template <typename Window>
void bindWebBrowserHandlers(TWebBrowser *view, Window *window)
{
    QObject::connect(view, &TWebBrowser::BeforeNavigate2, window, &Window::WebBrowser2BeforeNavigate2);
    QObject::connect(view, &TWebBrowser::StatusTextChange, window, &Window::WebBrowser2StatusTextChange);
    view->OnNewWindow2 = [window](TWebBrowser *sender, QWebEnginePage **ppDisp, bool *cancel) {
        window->WebBrowser2NewWindow2(sender, ppDisp, cancel);
    };
}
