#include "webview/browserkeys.h"

#include "webview/twebbrowser.h"

#include <QComboBox>
#include <QLineEdit>
#include <QShortcut>

void installBrowserKeys(QWidget *window, std::function<TWebBrowser *()> view, QWidget *addressField)
{
    const auto add = [window](QKeySequence key, std::function<void()> action) {
        auto *shortcut = new QShortcut(key, window);
        shortcut->setContext(Qt::WindowShortcut);
        QObject::connect(shortcut, &QShortcut::activated, window, action);
    };
    add(QKeySequence(Qt::ALT | Qt::Key_Left), [view] { view()->GoBack(); });
    add(QKeySequence(Qt::ALT | Qt::Key_Right), [view] { view()->GoForward(); });
    add(QKeySequence(Qt::Key_F5), [view] { view()->reload(); });
    add(QKeySequence(Qt::CTRL | Qt::Key_L), [addressField] {
        addressField->setFocus(Qt::ShortcutFocusReason);
        if (auto *combo = qobject_cast<QComboBox *>(addressField); combo && combo->lineEdit())
            combo->lineEdit()->selectAll();
        else if (auto *edit = qobject_cast<QLineEdit *>(addressField))
            edit->selectAll();
    });
}
