#pragma once

#include "data/AppError.h"
#include "services/Outcome.h"

// The outcome of a command that caught `error` from the data layer: a database that can
// only be read is said in words, any other error is a failure with the database's text.
inline Outcome failureOutcome(const AppError &error)
{
    if (error.kind() == AppError::Kind::ReadOnly)
        return Outcome::readOnly(error.message());
    if (error.kind() == AppError::Kind::Unreachable)
        return Outcome::unreachable(error.message());
    return Outcome::failed(error.message());
}
