#include "placement/windowplacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

TWindowPlacement windowPlacement(const QWidget *window)
{
    TWindowPlacement p;
    const Qt::WindowStates state = window->windowState();
    if (state & Qt::WindowMinimized) {
        p.showCmd = kShowCmdMinimized;
        if (state & (Qt::WindowMaximized | Qt::WindowFullScreen))
            p.flags |= kPlacementRestoreToMaximized;
    } else if (state & (Qt::WindowMaximized | Qt::WindowFullScreen)) {
        p.showCmd = kShowCmdMaximized;
    } else {
        p.showCmd = kShowCmdNormal;
    }
    // A window that was never maximised has no separate normal geometry.
    const bool enlarged = state & (Qt::WindowMaximized | Qt::WindowFullScreen);
    p.normalRect = enlarged ? window->normalGeometry() : window->geometry();
    if (!p.normalRect.isValid())
        p.normalRect = window->geometry();
    return p;
}

void applyNormalRect(QWidget *window, const QRect &rect)
{
    const Qt::WindowStates state = window->windowState();
    const Qt::WindowStates enlarged = state & (Qt::WindowMaximized | Qt::WindowFullScreen);
    if (!enlarged) {
        window->setGeometry(rect);
        return;
    }
    // Qt keeps the normal geometry of an enlarged window for itself; leave the state, set the
    // rectangle, and enlarge again so that the rectangle becomes the one it returns to.
    window->setWindowState(state & ~enlarged);
    window->setGeometry(rect);
    window->setWindowState(state);
}

QSize primaryScreenSize()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize();
}

int screenPixelsPerInch()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? qRound(screen->logicalDotsPerInch()) : 96;
}

bool hasMaximizeButton(const QWidget *window)
{
    const Qt::WindowFlags flags = window->windowFlags();
    if (!(flags & Qt::CustomizeWindowHint))
        return (flags & Qt::WindowType_Mask) == Qt::Window;
    return flags & Qt::WindowMaximizeButtonHint;
}

void setMaximizeButton(QWidget *window, bool on)
{
    if (hasMaximizeButton(window) == on)
        return;
    Qt::WindowFlags flags = window->windowFlags();
    if (!(flags & Qt::CustomizeWindowHint)) {
        // Spell out the decorations the window had by default before changing one of them.
        flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
            | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;
        if ((flags & Qt::WindowType_Mask) == Qt::Window)
            flags |= Qt::WindowMaximizeButtonHint;
    }
    flags.setFlag(Qt::WindowMaximizeButtonHint, on);
    const bool wasVisible = window->isVisible();
    window->setWindowFlags(flags); // hides the window
    if (wasVisible)
        window->show();
}

bool isFixedSizeWindow(const QWidget *window)
{
    return window->minimumSize() == window->maximumSize();
}
