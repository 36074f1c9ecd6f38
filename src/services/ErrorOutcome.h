#pragma once

#include "data/AppError.h"
#include "services/Outcome.h"

// The outcome of a command that caught `error` from the data layer: a database that
// cannot be changed is told apart from any other failure.
inline Outcome outcomeOf(const AppError &error)
{
    if (error.kind() == AppError::Kind::ReadOnly)
        return Outcome::readOnly(error.message());
    return Outcome::failed(error.message());
}
