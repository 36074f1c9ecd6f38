#include "automation/AutomationServer.h"

#include <cstdio>

std::optional<int> AutomationServer::registrationStep(StartMode mode)
{
    if (mode == StartMode::Register || mode == StartMode::Unregister)
        return 0;
    return std::nullopt;
}

void AutomationServer::startServing(StartMode)
{
}

int AutomationServer::runSendUrlClient(int, char **, const StartOptions &)
{
    std::fputs("vestrane: --send-url is not available in this build\n", stderr);
    return 2;
}
