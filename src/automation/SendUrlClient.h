#pragma once

#include "automation/NativeMessage.h"

#include <QString>

// The command-line client (vestrane --send-url ADDRESS NAME): calls SendUrl on the
// session bus and waits, without a time limit, until the editor it opened has closed.
// Needs no display. Gives the process's exit code: 0 on success, 2 for a text longer than
// the object takes, 1 for any other error; the error goes to standard error.
namespace SendUrlClient {

int run(int &argc, char **argv, const QString &address, const QString &name);

// Makes the call that tells the user's decision (SendUrlWithResult), also without a time
// limit. Needs an application object; a refused text, a missing bus or the call's error
// is a failure with its text.
NativeMessage::SendReply sendUrlWithResult(const QString &address, const QString &name);

} // namespace SendUrlClient
