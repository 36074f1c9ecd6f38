#include "data/LibraryLocation.h"

LibraryLocation LibraryLocation::file(const QString &path)
{
    LibraryLocation location;
    location.m_text = path;
    return location;
}

LibraryLocation LibraryLocation::onServer(const QString &uri, ServerAddress server)
{
    LibraryLocation location;
    location.m_text = uri;
    location.m_isServer = true;
    location.m_server = std::move(server);
    return location;
}

LibraryLocation LibraryLocation::parse(const QString &text)
{
    return ServerAddress::isServerUri(text) ? onServer(text, ServerAddress::parse(text)) : file(text);
}

LibraryLocation LibraryLocation::parse(const QString &text, const QString &origin)
{
    return ServerAddress::isServerUri(text) ? onServer(text, ServerAddress::parse(text, origin)) : file(text);
}
