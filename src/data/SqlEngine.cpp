#include "data/SqlEngine.h"

#include "data/PostgresEngine.h"
#include "data/ServerAddress.h"
#include "data/SqliteEngine.h"

std::unique_ptr<SqlEngine> SqlEngine::forLocation(const QString &location)
{
    if (ServerAddress::isServerUri(location))
        return std::make_unique<PostgresEngine>();
    return std::make_unique<SqliteEngine>();
}
