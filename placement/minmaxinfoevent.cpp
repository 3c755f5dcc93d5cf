#include "placement/minmaxinfoevent.h"

TMinMaxInfoEvent::TMinMaxInfoEvent()
    : QEvent(eventType())
{
}

QEvent::Type TMinMaxInfoEvent::eventType()
{
    static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}
