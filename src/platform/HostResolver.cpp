#include "platform/HostResolver.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>

QString HostResolver::ipv4Of(const QString &host) const
{
    if (host.isEmpty())
        return QString();
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *result = nullptr;
    if (getaddrinfo(host.toUtf8().constData(), nullptr, &hints, &result) != 0 || !result)
        return QString();
    const auto *address = reinterpret_cast<const sockaddr_in *>(result->ai_addr);
    const auto *bytes = reinterpret_cast<const unsigned char *>(&address->sin_addr.s_addr);
    QString dotted = QStringLiteral("%1.%2.%3.%4").arg(bytes[0]).arg(bytes[1]).arg(bytes[2]).arg(bytes[3]);
    freeaddrinfo(result);
    return dotted;
}
