#pragma once

#include "services/Outcome.h"

// What a read gave, for a front end that never sees the data layer's exception: the value
// when `outcome` is done, else the value's default and why it could not be read.
template <typename T>
struct Fetched
{
    T value{};
    Outcome outcome = Outcome::done();

    bool ok() const { return outcome.ok(); }
};
