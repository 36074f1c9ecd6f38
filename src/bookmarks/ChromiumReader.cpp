#include "bookmarks/ChromiumReader.h"

#include "data/AppError.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <vector>

namespace {

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

bool isHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// The code unit of the "\uXXXX" escape at `at`, or -1 when there is none.
int escapedUnit(const QByteArray &json, qsizetype at)
{
    if (at + 6 > json.size() || json[at] != '\\' || json[at + 1] != 'u')
        return -1;
    for (qsizetype i = at + 2; i < at + 6; ++i)
        if (!isHexDigit(json[i]))
            return -1;
    return json.mid(at + 2, 4).toInt(nullptr, 16);
}

// Qt's JSON parser pairs a high surrogate escape with whatever follows it ("\ud800 "
// becomes U+10020, the space lost). A surrogate escape without its partner is written
// as U+FFFD here, so that it and the text after it read as they should.
QByteArray withLoneSurrogatesReplaced(const QByteArray &json)
{
    QByteArray out;
    qsizetype copied = 0;
    for (qsizetype at = json.indexOf('\\'); at >= 0 && at + 1 < json.size(); at = json.indexOf('\\', at)) {
        const int unit = escapedUnit(json, at);
        if (unit < 0xD800 || unit > 0xDFFF) {
            at += 2; // any other escape, "\\" included
            continue;
        }
        if (unit < 0xDC00) {
            const int low = escapedUnit(json, at + 6);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                at += 12;
                continue;
            }
        }
        out += QByteArrayView(json).sliced(copied, at - copied);
        out += "\\ufffd";
        at += 6;
        copied = at;
    }
    if (copied == 0)
        return json;
    out += QByteArrayView(json).sliced(copied);
    return out;
}

// The bookmarks anywhere below a folder, walked without recursion.
int bookmarksBelow(const QJsonObject &folder)
{
    int count = 0;
    std::vector<QJsonArray> pending{folder.value(QLatin1String("children")).toArray()};
    while (!pending.empty()) {
        const QJsonArray children = std::move(pending.back());
        pending.pop_back();
        for (const auto &value : children) {
            const QJsonObject node = value.toObject();
            const QString type = node.value(QLatin1String("type")).toString();
            if (type == QLatin1String("url"))
                ++count;
            else if (type == QLatin1String("folder"))
                pending.push_back(node.value(QLatin1String("children")).toArray());
        }
    }
    return count;
}

// Walks a folder; gives whether it holds a bookmark anywhere below.
bool walk(const QJsonObject &folder, QStringList &path, BookmarkSet &set, int depth, const ReadCancel &cancel)
{
    stopIfCancelled(cancel);
    bool hasBookmark = false;
    const QJsonArray children = folder.value(QLatin1String("children")).toArray();
    for (const auto &value : children) {
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
        } else if (type == QLatin1String("folder") && depth >= maxFolderDepth) {
            const int cut = bookmarksBelow(node);
            set.tooDeep += cut;
            hasBookmark = hasBookmark || cut > 0;
        } else if (type == QLatin1String("folder")) {
            path.append(name.trimmed());
            const bool inside = walk(node, path, set, depth + 1, cancel);
            path.removeLast();
            if (!inside)
                ++set.emptyFolders;
            hasBookmark = hasBookmark || inside;
        }
    }
    return hasBookmark;
}

} // namespace

BookmarkSet ChromiumReader::read(const QByteArray &json, const QString &sourceName, const ReadCancel &cancel)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(withLoneSurrogatesReplaced(json), &error);
    stopIfCancelled(cancel);
    const QJsonObject roots = document.object().value(QLatin1String("roots")).toObject();
    if (error.error != QJsonParseError::NoError || roots.isEmpty())
        throw AppError(QCoreApplication::translate("ChromiumReader", "不是浏览器的书签文件：%1")
                           .arg(error.error != QJsonParseError::NoError
                                    ? error.errorString()
                                    : QCoreApplication::translate("ChromiumReader", "没有 roots")));

    BookmarkSet set;
    set.sourceName = sourceName;
    const std::pair<QLatin1String, QString> shownRoots[] = {
        {QLatin1String("bookmark_bar"), BookmarkRoots::chromiumBar},
        {QLatin1String("other"), BookmarkRoots::otherBookmarks},
        {QLatin1String("synced"), BookmarkRoots::mobile},
    };
    for (const auto &[key, shown] : shownRoots) {
        QStringList path{shown};
        walk(roots.value(key).toObject(), path, set, 0, cancel);
    }
    return set;
}
