#include "placement/windowhook.h"

#include <QCoreApplication>
#include <QEvent>
#include <QList>

// The event filter of one hooked control, a child of that control: it holds the control's hooks
// in the order they were attached and runs their handlers around the control's own handling.
class THookDispatcher : public QObject
{
public:
    // The dispatcher serving `control`, or nullptr.
    static THookDispatcher *Of(const QWidget *control);
    // Attaches `hook` to `control` and returns the dispatcher that now serves both.
    static THookDispatcher *Attach(QWidget *control, TWindowHook *hook);
    // Detaches `hook`; with no hook left, the control's event handling is back as it was at once
    // and the dispatcher goes away as soon as no event of the control is passing through it.
    void Detach(TWindowHook *hook);
    bool Contains(const TWindowHook *hook) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit THookDispatcher(QWidget *control);
    bool dispatch(QEvent *event);
    bool hasAfterHandlers() const;

    QWidget *m_control;
    QList<QPointer<TWindowHook>> m_hooks;
    QList<QEvent *> m_passing; // events on their way to the control's own handling
    int m_depth = 0;
    // No hook left and no longer in the control's event path: a hook attached from now on gets
    // a dispatcher of its own.
    bool m_leaving = false;
};

THookDispatcher::THookDispatcher(QWidget *control)
    : QObject(control), m_control(control)
{
    control->installEventFilter(this);
}

THookDispatcher *THookDispatcher::Of(const QWidget *control)
{
    if (!control)
        return nullptr;
    for (QObject *child : control->children()) {
        auto *dispatcher = dynamic_cast<THookDispatcher *>(child);
        if (dispatcher && !dispatcher->m_leaving)
            return dispatcher;
    }
    return nullptr;
}

THookDispatcher *THookDispatcher::Attach(QWidget *control, TWindowHook *hook)
{
    THookDispatcher *dispatcher = Of(control);
    if (!dispatcher)
        dispatcher = new THookDispatcher(control); // owned by the control
    if (!dispatcher->Contains(hook))
        dispatcher->m_hooks.append(hook);
    return dispatcher;
}

void THookDispatcher::Detach(TWindowHook *hook)
{
    m_hooks.removeIf([hook](const QPointer<TWindowHook> &h) { return !h || h == hook; });
    if (!m_hooks.isEmpty() || m_leaving)
        return;
    m_leaving = true;
    m_control->removeEventFilter(this);
    if (m_depth == 0)
        delete this;
}

bool THookDispatcher::Contains(const TWindowHook *hook) const
{
    for (const QPointer<TWindowHook> &h : m_hooks) {
        if (h == hook)
            return true;
    }
    return false;
}

bool THookDispatcher::hasAfterHandlers() const
{
    for (const QPointer<TWindowHook> &h : m_hooks) {
        if (h && h->Active() && h->AfterMessage())
            return true;
    }
    return false;
}

bool THookDispatcher::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_control || m_leaving || m_passing.contains(event))
        return false;
    QPointer<THookDispatcher> self(this);
    ++m_depth;
    const bool stop = dispatch(event);
    if (!self)
        return true; // the control went away while it handled the event
    if (--m_depth == 0 && m_leaving)
        delete this;
    return stop;
}

bool THookDispatcher::dispatch(QEvent *event)
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
    if (m_leaving || event->spontaneous() || event->type() == QEvent::DeferredDelete || !hasAfterHandlers())
        return false;

    // Let the rest of the chain and the control handle the event now, then the after-handlers.
    QPointer<THookDispatcher> self(this);
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

TWindowHook::TWindowHook(QObject *owner)
    : QObject(owner)
{
}

TWindowHook::~TWindowHook()
{
    UnhookControl();
}

void TWindowHook::SetActive(bool active)
{
    if (active)
        HookControl();
    else
        UnhookControl();
    m_active = active;
}

void TWindowHook::SetControl(QWidget *control)
{
    if (control == m_control)
        return;
    const bool wasHooked = IsHooked();
    UnhookControl();
    m_control = control;
    if (wasHooked || m_active)
        HookControl();
}

void TWindowHook::HookControl()
{
    m_active = true;
    if (m_dispatcher || !m_control)
        return;
    m_dispatcher = THookDispatcher::Attach(m_control, this);
}

void TWindowHook::UnhookControl()
{
    if (THookDispatcher *dispatcher = m_dispatcher)
        dispatcher->Detach(this);
    m_dispatcher = nullptr;
}

bool TWindowHook::IsHooked() const
{
    return m_dispatcher && m_dispatcher->Contains(this);
}

bool TWindowHook::IsControlHooked(const QWidget *control)
{
    return THookDispatcher::Of(control) != nullptr;
}

void TWindowHook::DoBeforeMessage(QEvent *msg, bool &handled)
{
    if (m_before)
        m_before(this, msg, handled);
}

void TWindowHook::DoAfterMessage(QEvent *msg, bool &handled)
{
    if (m_after)
        m_after(this, msg, handled);
}
