#pragma once

#include "webview/twebbrowser.h"

// Binds a web view's three events to a window's handlers of the same names, as both windows
// do for their views.
template <typename Window>
void bindWebBrowserHandlers(TWebBrowser *view, Window *window)
{
    view->OnBeforeNavigate2 = [window](TWebBrowser *s, const QString &u, const PostDataRef &p) {
        window->WebBrowser2BeforeNavigate2(s, u, p);
    };
    view->OnNewWindow2 = [window](TWebBrowser *s, QWebEnginePage **pp, bool *c) {
        window->WebBrowser2NewWindow2(s, pp, c);
    };
    view->OnStatusTextChange = [window](TWebBrowser *s, const QString &t) { window->WebBrowser2StatusTextChange(s, t); };
}
