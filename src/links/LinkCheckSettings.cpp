#include "links/LinkCheckSettings.h"

#include "data/AppError.h"
#include "data/SettingsStore.h"

#include <algorithm>

namespace {

int integerSetting(const char *key, int defaultValue, int lowest, int highest)
{
    const std::optional<QString> text = SettingsStore::textValue(QStringLiteral("LinkCheck/") + QLatin1String(key));
    if (!text || text->trimmed().isEmpty())
        return defaultValue;
    bool ok = false;
    const int value = text->trimmed().toInt(&ok);
    if (!ok)
        throw AppError(QStringLiteral("Invalid data type for '%1'").arg(QLatin1String(key)));
    return std::clamp(value, lowest, highest);
}

} // namespace

LinkCheckSettings LinkCheckSettings::fromSettingsFile()
{
    LinkCheckSettings settings;
    settings.perHost = integerSetting("PerHost", settings.perHost, 1, 64);
    settings.connections = integerSetting("Connections", settings.connections, 1, 1024);
    settings.timeoutMs = integerSetting("Timeout", settings.timeoutMs / 1000, 1, 600) * 1000;
    return settings;
}
