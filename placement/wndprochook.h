#pragma once

class QWidget;
class TWindowHook;

// The process-wide registry of hooked controls: one THookInfos per control, holding the hooks in
// the order they were added. The first hook on a control puts the dispatcher in front of the
// control's event handling; removing the last one takes it away again. A destroyed control's
// record goes with it.
class TWndProcHook
{
public:
    static void Add(QWidget *control, TWindowHook *hook);
    static void Remove(QWidget *control, TWindowHook *hook);
    static bool Has(const QWidget *control, const TWindowHook *hook);
    static bool IsHooked(const QWidget *control);
};
