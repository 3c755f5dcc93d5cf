#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

class QEvent;
class QWidget;
class TWindowHook;

// The record of one hooked control: its hooks in order, and the dispatcher (an event filter on
// the control, owned by the control) that runs their handlers around the control's own.
class THookInfos : public QObject
{
    Q_OBJECT
public:
    explicit THookInfos(QWidget *control);
    ~THookInfos() override;

    void Add(TWindowHook *hook);
    // Returns true when no hook is left; the record then takes itself away.
    bool Remove(TWindowHook *hook);
    bool Contains(const TWindowHook *hook) const;
    bool IsEmpty() const { return m_hooks.isEmpty(); }

    // The record of a control, or nullptr.
    static THookInfos *Find(const QWidget *control);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool dispatch(QEvent *event);
    bool hasAfterHandlers() const;
    void dropWhenIdle();

    QWidget *m_control;
    QList<QPointer<TWindowHook>> m_hooks;
    QList<QEvent *> m_passing; // events on their way to the control's own handling
    int m_depth = 0;
    bool m_drop = false;
};
