#include "bookmarks/Bookmark.h"

#include "data/TrimUrl.h"

#include <QCoreApplication>

namespace {

// Schemes whose addresses are no page of the web: scripts, the browser's own pages and
// its internal queries.
const QStringList internalSchemes = {
    QStringLiteral("javascript"),    QStringLiteral("place"),    QStringLiteral("data"),
    QStringLiteral("chrome"),        QStringLiteral("about"),    QStringLiteral("chrome-extension"),
    QStringLiteral("moz-extension"), QStringLiteral("resource"), QStringLiteral("view-source"),
    QStringLiteral("edge"),          QStringLiteral("brave"),    QStringLiteral("vivaldi"),
    QStringLiteral("blob"),
};

} // namespace

bool isWebAddress(const QString &url)
{
    const QString trimmed = url.trimmed();
    if (trimmed.isEmpty() || looksLikeOption(trimmed))
        return false; // nothing, or a text a browser would take for one of its options
    const qsizetype colon = trimmed.indexOf(QLatin1Char(':'));
    if (colon <= 0)
        return true; // no scheme: an address as the editor stores it
    const QString scheme = trimmed.left(colon).toLower();
    return !internalSchemes.contains(scheme);
}

QString joinFolders(const QStringList &folders)
{
    return folders.join(QStringLiteral(" / "));
}

QString BookmarkSet::groupOf(const Bookmark &bookmark) const
{
    return bookmark.folders.isEmpty() ? sourceName : joinFolders(bookmark.folders);
}

void BookmarkSet::add(Bookmark &&bookmark)
{
    if (isWebAddress(bookmark.url)) {
        bookmarks.push_back(std::move(bookmark));
        return;
    }
    notWeb.push_back(SkippedEntry{groupOf(bookmark), bookmark.title, bookmark.url,
                                  QCoreApplication::translate("BookmarkSet", "不是网址")});
}
