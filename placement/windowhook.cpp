#include "placement/windowhook.h"

#include "placement/wndprochook.h"

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
    if (m_hooked || !m_control)
        return;
    TWndProcHook::Add(m_control, this);
    m_hooked = true;
}

void TWindowHook::UnhookControl()
{
    if (m_hooked && m_control)
        TWndProcHook::Remove(m_control, this);
    m_hooked = false;
}

bool TWindowHook::IsHooked() const
{
    return m_hooked && m_control && TWndProcHook::Has(m_control, this);
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
