#pragma once

#include <QByteArray>
#include <QString>

// Texts inside the program are 8-bit, in the system's code page; wide strings from Qt and the
// web engine are converted at the edges.
inline QByteArray toAnsi(const QString &text) { return text.toLocal8Bit(); }
inline QString fromAnsi(const QByteArray &text) { return QString::fromLocal8Bit(text); }
