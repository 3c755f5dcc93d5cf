#pragma once

#include <QDateTime>
#include <QTimeZone>
#include <QtGlobal>

// A date and time in UTC, built the way the Qt at hand wants: Qt 6.5 brought a light UTC zone and
// deprecated the Qt::TimeSpec forms, which Qt 6.4 still needs for a plain Qt::UTC time.
inline QDateTime utcDateTime(QDate date, QTime time)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
    return QDateTime(date, time, QTimeZone::UTC);
#else
    return QDateTime(date, time, Qt::UTC);
#endif
}

inline QDateTime utcFromMSecsSinceEpoch(qint64 ms)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
    return QDateTime::fromMSecsSinceEpoch(ms, QTimeZone::UTC);
#else
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC);
#endif
}
