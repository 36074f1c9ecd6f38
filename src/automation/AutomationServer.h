#pragma once

#include "app/StartOptions.h"

#include <optional>

// The automation server's share of start-up. Empty steps for now: the D-Bus object,
// its registration files and the command-line client come with the automation work.
namespace AutomationServer {

// Before any window: brings the registration up to date. In the register and unregister
// modes it gives the exit code with which the process ends at once.
std::optional<int> registrationStep(StartMode mode);
// After the application object exists: offers the automation object on the session bus.
void startServing(StartMode mode);
// The command-line client (--send-url); gives the process's exit code.
int runSendUrlClient(int argc, char **argv, const StartOptions &options);

} // namespace AutomationServer
