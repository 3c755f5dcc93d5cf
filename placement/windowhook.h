#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>

class QEvent;
class THookDispatcher;

// A handler of the events of a hooked control. Setting `Handled` stops the event there.
using THookMessageEvent = std::function<void(QObject *Sender, QEvent *Msg, bool &Handled)>;

// Puts handlers in front of and behind a control's own event handling. While `Active` and a
// `Control` is set, `BeforeMessage` sees each event before the control does and `AfterMessage`
// sees it after the control has handled it. Several hooks on one control run in the order they
// were attached: the first hook on a control gives it one event filter that serves them all, and
// the last one to leave takes it away again; a destroyed control takes it along.
//
// Events that come from the window system itself (spontaneous ones: input, exposure, the window
// manager's show and hide) pass the before-handlers only; to run handlers after the control,
// the event must be handed to the control once more, and that would make it look as if the
// program had sent it.
class TWindowHook : public QObject
{
    Q_OBJECT
public:
    explicit TWindowHook(QObject *owner = nullptr);
    ~TWindowHook() override;

    bool Active() const { return m_active; }
    void SetActive(bool active);
    QWidget *Control() const { return m_control; }
    void SetControl(QWidget *control);
    const THookMessageEvent &BeforeMessage() const { return m_before; }
    void SetBeforeMessage(THookMessageEvent handler) { m_before = std::move(handler); }
    const THookMessageEvent &AfterMessage() const { return m_after; }
    void SetAfterMessage(THookMessageEvent handler) { m_after = std::move(handler); }

    // Attaches to / detaches from `Control`; Active follows.
    void HookControl();
    void UnhookControl();
    bool IsHooked() const;

    // Whether any hook is attached to `control`.
    static bool IsControlHooked(const QWidget *control);

private:
    friend class THookDispatcher;
    void DoBeforeMessage(QEvent *msg, bool &handled);
    void DoAfterMessage(QEvent *msg, bool &handled);

    bool m_active = true;
    QPointer<QWidget> m_control;
    QPointer<THookDispatcher> m_dispatcher; // set while attached
    THookMessageEvent m_before;
    THookMessageEvent m_after;
};
