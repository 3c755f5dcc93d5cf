#include "placement/wndprochook.h"

#include "placement/hookinfos.h"

#include <QWidget>

void TWndProcHook::Add(QWidget *control, TWindowHook *hook)
{
    if (!control || !hook)
        return;
    THookInfos *infos = THookInfos::Find(control);
    if (!infos)
        infos = new THookInfos(control); // owned by the control
    infos->Add(hook);
}

void TWndProcHook::Remove(QWidget *control, TWindowHook *hook)
{
    if (THookInfos *infos = THookInfos::Find(control))
        infos->Remove(hook);
}

bool TWndProcHook::Has(const QWidget *control, const TWindowHook *hook)
{
    const THookInfos *infos = THookInfos::Find(control);
    return infos && infos->Contains(hook);
}

bool TWndProcHook::IsHooked(const QWidget *control)
{
    const THookInfos *infos = THookInfos::Find(control);
    return infos && !infos->IsEmpty();
}
