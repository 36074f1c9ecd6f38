#pragma once

#include <QString>

#include <utility>

// What a service command gives back to the front end that called it: the window shows it
// in a box, the command line on standard error, the D-Bus object as an error reply.
// Refused: the command is not allowed, `message` is the text the user sees.
// Failed: the database failed, `message` is its own text.
// ReadOnly: the database cannot be changed, `message` says so in words.
// `count` tells how many rows a command that was done wrote.
struct Outcome
{
    enum class Kind { Done, Refused, Failed, ReadOnly };

    Kind kind;
    QString message;
    int count = 0;

    static Outcome done(int count = 0) { return {Kind::Done, QString(), count}; }
    static Outcome refused(QString message) { return {Kind::Refused, std::move(message)}; }
    static Outcome failed(QString message) { return {Kind::Failed, std::move(message)}; }
    static Outcome readOnly(QString message) { return {Kind::ReadOnly, std::move(message)}; }
    bool ok() const { return kind == Kind::Done; }
};
