#pragma once

// The native messaging host (vestrane --native-messaging): a browser starts it and
// writes length-prefixed JSON messages to its standard input; each {"url", "title"} is
// handed to the program over the session bus, and the user's decision is written back
// on standard output. It ends when the input closes, and needs no display.
namespace NativeHost {

// Gives the exit code: 0 when the input closed between messages, 1 when it closed inside
// one, when a message was over the size limit (after answering it with an error) or when
// the answers cannot be written.
int run(int &argc, char **argv);

} // namespace NativeHost
