#include "window/SharedIcons.h"

#include <QCoreApplication>
#include <QHash>

namespace {

QHash<QString, QIcon> &icons()
{
    static QHash<QString, QIcon> table;
    return table;
}

// The icons go with the application object, before the platform that drew them.
void forgetIcons()
{
    icons().clear();
}

} // namespace

namespace SharedIcons {

QIcon cached(const QString &key, const std::function<QIcon()> &make)
{
    QHash<QString, QIcon> &table = icons();
    const auto found = table.constFind(key);
    if (found != table.constEnd())
        return *found;
    if (table.isEmpty())
        qAddPostRoutine(forgetIcons);
    return *table.insert(key, make());
}

QIcon fromFile(const QString &path)
{
    return cached(path, [&path] { return QIcon(path); });
}

} // namespace SharedIcons
