#pragma once

#include <QEvent>
#include <QPoint>
#include <QSize>

// Asks a window's handlers for its size limits: the maximised size and position and the
// smallest and largest size the user may give it. It arrives with the window system's answer
// filled in; handlers change the fields they have a say on and set `result` to 1.
class TMinMaxInfoEvent : public QEvent
{
public:
    TMinMaxInfoEvent();
    static QEvent::Type eventType();

    QSize maxSize;
    QPoint maxPosition;
    QSize minTrackSize;
    QSize maxTrackSize;
    int result = 0;
};
