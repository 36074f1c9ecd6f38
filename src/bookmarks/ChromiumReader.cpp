#include "bookmarks/ChromiumReader.h"

#include "data/AppError.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

// Deeper trees than this are not made by a browser; the walk stops there rather than
// exhausting the stack on a hostile file.
constexpr int maxDepth = 256;

// Chromium counts microseconds since 1601-01-01 (UTC), written as a decimal string.
QDateTime chromiumDate(const QJsonValue &value)
{
    bool ok = false;
    const qint64 micros = value.toString().toLongLong(&ok);
    if (!ok || micros <= 0)
        return {};
    constexpr qint64 secondsFrom1601To1970 = 11644473600LL;
    const qint64 seconds = micros / 1000000 - secondsFrom1601To1970;
    return seconds > 0 ? QDateTime::fromSecsSinceEpoch(seconds) : QDateTime();
}

// Walks a folder; gives whether it holds a bookmark anywhere below.
bool walk(const QJsonObject &folder, QStringList &path, BookmarkSet &set, int depth)
{
    bool hasBookmark = false;
    const QJsonArray children = folder.value(QLatin1String("children")).toArray();
    for (const QJsonValue &value : children) {
        const QJsonObject node = value.toObject();
        const QString type = node.value(QLatin1String("type")).toString();
        const QString name = node.value(QLatin1String("name")).toString();
        if (type == QLatin1String("url")) {
            Bookmark bookmark;
            bookmark.folders = path;
            bookmark.title = name.trimmed();
            bookmark.url = node.value(QLatin1String("url")).toString().trimmed();
            bookmark.added = chromiumDate(node.value(QLatin1String("date_added")));
            bookmark.lastVisit = chromiumDate(node.value(QLatin1String("date_last_used")));
            set.add(std::move(bookmark));
            hasBookmark = true;
        } else if (type == QLatin1String("folder") && depth < maxDepth) {
            path.append(name.trimmed());
            const bool inside = walk(node, path, set, depth + 1);
            path.removeLast();
            if (!inside)
                ++set.emptyFolders;
            hasBookmark = hasBookmark || inside;
        }
    }
    return hasBookmark;
}

} // namespace

BookmarkSet ChromiumReader::read(const QByteArray &json, const QString &sourceName)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    const QJsonObject roots = document.object().value(QLatin1String("roots")).toObject();
    if (error.error != QJsonParseError::NoError || roots.isEmpty())
        throw AppError(QStringLiteral("不是浏览器的书签文件：%1").arg(
            error.error != QJsonParseError::NoError ? error.errorString() : QStringLiteral("没有 roots")));

    BookmarkSet set;
    set.sourceName = sourceName;
    const std::pair<QLatin1String, QString> shownRoots[] = {
        {QLatin1String("bookmark_bar"), BookmarkRoots::chromiumBar},
        {QLatin1String("other"), BookmarkRoots::otherBookmarks},
        {QLatin1String("synced"), BookmarkRoots::mobile},
    };
    for (const auto &[key, shown] : shownRoots) {
        QStringList path{shown};
        walk(roots.value(key).toObject(), path, set, 0);
    }
    return set;
}
