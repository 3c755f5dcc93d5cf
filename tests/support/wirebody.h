#pragma once

// Comparing a recorded body with the bytes a server received.

#include <QByteArray>

// Multipart bodies differ in the boundary token only: the engine picks its own at random.
inline QByteArray withBoundaryToken(QByteArray body, const QByteArray &boundary)
{
    if (!boundary.isEmpty())
        body.replace(boundary, "BOUNDARY");
    return body;
}
