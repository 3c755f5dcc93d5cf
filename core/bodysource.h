#pragma once

#include <QString>

// Where a recorded request body came from.
enum class BodySource {
    None,    // no body was captured
    Script,  // encoded from the form submission our page script saw
    Network, // read from the engine's network layer: the bytes that went out
    Program, // a request the program sent itself (a replayed row)
    HarFile, // read from a HAR file
};

// How the request window names the source.
inline QString bodySourceText(BodySource source)
{
    switch (source) {
    case BodySource::Script: return QStringLiteral("the form submission, encoded as the engine does");
    case BodySource::Network: return QStringLiteral("the engine's network layer");
    case BodySource::Program: return QStringLiteral("the request Trailscribe sent");
    case BodySource::HarFile: return QStringLiteral("the HAR file the row was read from");
    case BodySource::None: break;
    }
    return QStringLiteral("(none)");
}

// What a row says when its multipart boundary is ours rather than the engine's.
inline QString remadeBoundaryNote()
{
    return QStringLiteral("The boundary was made by Trailscribe; this engine does not reveal its own. "
                          "Every other byte is as sent.");
}
