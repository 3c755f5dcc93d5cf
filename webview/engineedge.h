#pragma once

#include "common/errorreport.h"

#include <utility>

// The engine calls a page's overrides and emits the signals of its pages and downloads from
// its own code, outside the event loop's error report, and no exception may unwind through it.
// Whatever the engine calls runs inside this: an error a handler raises is shown by the general
// error report, and the engine goes on.
template <typename Handler>
auto fromEngine(Handler handler)
{
    return [handler = std::move(handler)](auto &&...args) { reportErrors([&] { handler(args...); }); };
}
