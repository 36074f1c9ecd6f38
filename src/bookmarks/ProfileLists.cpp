#include "bookmarks/ProfileLists.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>

namespace {

// The number of a section named "Profile<digits>", or -1.
int profileNumber(const QString &section)
{
    static const QString prefix = QStringLiteral("Profile");
    if (!section.startsWith(prefix) || section.size() == prefix.size() || section.size() > prefix.size() + 9)
        return -1;
    int number = 0;
    for (qsizetype i = prefix.size(); i < section.size(); ++i) {
        const char16_t c = section[i].unicode();
        if (c < u'0' || c > u'9')
            return -1;
        number = number * 10 + (c - u'0');
    }
    return number;
}

} // namespace

std::vector<ProfileLists::FirefoxEntry> ProfileLists::firefoxProfiles(const QByteArray &profilesIni)
{
    QByteArray bytes = profilesIni;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    // Keys of each numbered section; a section given twice adds to the first.
    QMap<int, QHash<QString, QString>> sections;
    QHash<QString, QString> *current = nullptr;
    for (const QByteArray &rawLine : bytes.split('\n')) {
        const QString line = QString::fromUtf8(rawLine).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')) || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            const qsizetype end = line.indexOf(QLatin1Char(']'));
            const int number = end > 0 ? profileNumber(line.mid(1, end - 1)) : -1;
            current = number >= 0 ? &sections[number] : nullptr;
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (current && equals > 0)
            current->insert(line.left(equals).trimmed(), line.mid(equals + 1).trimmed());
    }
    std::vector<FirefoxEntry> profiles;
    for (const QHash<QString, QString> &keys : std::as_const(sections)) {
        FirefoxEntry entry;
        entry.path = keys.value(QStringLiteral("Path"));
        if (entry.path.isEmpty())
            continue;
        entry.name = keys.value(QStringLiteral("Name"));
        if (entry.name.isEmpty())
            entry.name = entry.path;
        entry.relative = keys.value(QStringLiteral("IsRelative"), QStringLiteral("1")) != QLatin1String("0");
        profiles.push_back(std::move(entry));
    }
    return profiles;
}

QHash<QString, QString> ProfileLists::chromiumProfileNames(const QByteArray &localState)
{
    const QJsonObject cache = QJsonDocument::fromJson(localState)
                                  .object()
                                  .value(QLatin1String("profile"))
                                  .toObject()
                                  .value(QLatin1String("info_cache"))
                                  .toObject();
    QHash<QString, QString> names;
    for (auto it = cache.begin(); it != cache.end(); ++it) {
        const QString name = it.value().toObject().value(QLatin1String("name")).toString();
        if (!name.isEmpty())
            names.insert(it.key(), name);
    }
    return names;
}
