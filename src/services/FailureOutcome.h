#pragma once

#include "data/AppError.h"
#include "services/Fetched.h"
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

// For the services' own reads: the value `read` gives, or the outcome of the AppError it
// threw (a front end never sees the exception).
template <typename Read>
auto fetchOrFailure(Read read) -> Fetched<decltype(read())>
{
    try {
        return {read(), Outcome::done()};
    } catch (const AppError &error) {
        return {{}, failureOutcome(error)};
    }
}

// Done when `work` ran through, else the outcome of the AppError it threw.
template <typename Work>
Outcome attemptOrFailure(Work work)
{
    try {
        work();
        return Outcome::done();
    } catch (const AppError &error) {
        return failureOutcome(error);
    }
}
