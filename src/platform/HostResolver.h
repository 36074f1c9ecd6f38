#pragma once

#include <QString>

// Looks up the first IPv4 address of a host name. The lookup blocks. Tests replace the
// resolver so that no DNS query leaves the machine.
class HostResolver
{
public:
    virtual ~HostResolver() = default;
    // The dotted address, or empty text when the host cannot be resolved.
    virtual QString ipv4Of(const QString &host) const;
};
