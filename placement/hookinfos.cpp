#include "placement/hookinfos.h"

#include "placement/windowhook.h"

#include <QCoreApplication>
#include <QEvent>
#include <QHash>
#include <QWidget>

namespace {
QHash<const QWidget *, THookInfos *> &registry()
{
    static QHash<const QWidget *, THookInfos *> records;
    return records;
}
} // namespace

THookInfos::THookInfos(QWidget *control)
    : QObject(control), m_control(control)
{
    registry().insert(control, this);
    control->installEventFilter(this);
}

THookInfos::~THookInfos()
{
    registry().remove(m_control);
}

THookInfos *THookInfos::Find(const QWidget *control)
{
    return registry().value(control, nullptr);
}

void THookInfos::Add(TWindowHook *hook)
{
    if (!Contains(hook))
        m_hooks.append(hook);
    m_drop = false;
}

bool THookInfos::Remove(TWindowHook *hook)
{
    m_hooks.removeAll(QPointer<TWindowHook>(hook));
    m_hooks.removeAll(QPointer<TWindowHook>());
    if (!m_hooks.isEmpty())
        return false;
    dropWhenIdle();
    return true;
}

bool THookInfos::Contains(const TWindowHook *hook) const
{
    for (const QPointer<TWindowHook> &h : m_hooks) {
        if (h == hook)
            return true;
    }
    return false;
}

void THookInfos::dropWhenIdle()
{
    // The control's own event handling is back as it was at once; the record goes away when no
    // event of the control is being dispatched through it any more.
    registry().remove(m_control);
    m_control->removeEventFilter(this);
    if (m_depth == 0)
        delete this;
    else
        m_drop = true;
}

bool THookInfos::hasAfterHandlers() const
{
    for (const QPointer<TWindowHook> &h : m_hooks) {
        if (h && h->Active() && h->AfterMessage())
            return true;
    }
    return false;
}

bool THookInfos::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_control || m_passing.contains(event))
        return false;
    QPointer<THookInfos> self(this);
    ++m_depth;
    const bool stop = dispatch(event);
    if (!self)
        return true; // the control went away while it handled the event
    --m_depth;
    if (m_depth == 0 && m_drop) {
        delete this;
        return stop;
    }
    return stop;
}

bool THookInfos::dispatch(QEvent *event)
{
    const QList<QPointer<TWindowHook>> hooks = m_hooks;
    for (const QPointer<TWindowHook> &h : hooks) {
        if (!h || !h->Active() || !Contains(h))
            continue;
        bool handled = false;
        h->DoBeforeMessage(event, handled);
        if (handled)
            return true;
    }
    if (m_drop || event->spontaneous() || event->type() == QEvent::DeferredDelete || !hasAfterHandlers())
        return false;

    // Let the rest of the chain and the control handle the event now, then the after-handlers.
    QPointer<THookInfos> self(this);
    m_passing.append(event);
    QCoreApplication::sendEvent(m_control, event);
    if (!self)
        return true;
    m_passing.removeOne(event);
    for (const QPointer<TWindowHook> &h : hooks) {
        if (!h || !h->Active() || !Contains(h))
            continue;
        bool handled = false;
        h->DoAfterMessage(event, handled);
        if (handled)
            break;
    }
    return true;
}
