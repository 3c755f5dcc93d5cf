#pragma once

#include "core/trailscribeerror.h"

// Errors raised by the list grid's own operations, such as a list file that cannot be created.
class EListGridError : public TrailscribeError
{
public:
    using TrailscribeError::TrailscribeError;
};
