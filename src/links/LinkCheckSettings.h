#pragma once

// The politeness of the check, from the settings file's [LinkCheck] group:
//   PerHost      requests at once to one site (host and port), default 2
//   Connections  requests at once in all, default 16
//   Timeout      seconds one request may take, default 15
struct LinkCheckSettings
{
    int perHost = 2;
    int connections = 16;
    int timeoutMs = 15000;

    // Values out of range are brought into it; a value that is not a number throws
    // AppError("Invalid data type for '<key>'").
    static LinkCheckSettings fromSettingsFile();
};
