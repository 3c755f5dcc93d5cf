#pragma once

#include "core/requestrecord.h"

#include <QByteArray>
#include <QWebEngineHttpRequest>

// The request that sends a row's request again: a POST with the recorded body, exactly, and
// its Content-Type when one was recorded; a plain GET to the address for any other row.
// TrailscribeError when the address cannot be loaded.
QWebEngineHttpRequest replayRequest(const RequestRecord &record, const QByteArray &address);
