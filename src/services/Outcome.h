#pragma once

#include <QString>

// What a command did, for the front end to show in its own way (a box, a line on standard
// error, a D-Bus error). Refused: the command is not allowed, `message` is the text the
// user sees (empty: nothing to tell). Failed: the database failed, `message` is its own
// text. ReadOnly: the database cannot be changed, `message` says so in words.
struct Outcome
{
    // Unreachable: the database's server cannot be reached, `message` names it and why.
    // Cancelled: the user stopped the command and nothing was changed; `message` is the
    // text the user sees (empty: nothing to tell).
    enum class Kind { Done, Refused, Failed, ReadOnly, Unreachable, Cancelled };
    Kind kind;
    QString message;
    int count = 0;

    static Outcome done(int count = 0) { return {Kind::Done, QString(), count}; }
    static Outcome refused(QString message) { return {Kind::Refused, std::move(message)}; }
    static Outcome failed(QString message) { return {Kind::Failed, std::move(message)}; }
    static Outcome readOnly(QString message) { return {Kind::ReadOnly, std::move(message)}; }
    static Outcome unreachable(QString message) { return {Kind::Unreachable, std::move(message)}; }
    static Outcome cancelled(QString message = {}) { return {Kind::Cancelled, std::move(message)}; }
    bool ok() const { return kind == Kind::Done; }
};
