#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <vector>

// One bookmark read from a browser's store or a bookmark file.
struct Bookmark
{
    QStringList folders; // the folder chain, outermost first (the root's shown name included)
    QString title;
    QString url;         // as the source stored it
    QDateTime added;     // invalid when the source gives none
    QDateTime lastVisit;
};

// An entry that is read but not offered for import, with the reason why.
struct SkippedEntry
{
    QString group;
    QString title;
    QString url;
    QString reason;
};

// Everything one source gave: the bookmarks to offer, and what was left out.
struct BookmarkSet
{
    QString sourceName; // the group of bookmarks outside any folder
    std::vector<Bookmark> bookmarks;
    std::vector<SkippedEntry> notWeb; // javascript:, place:, empty addresses and the like
    int separators = 0;
    int emptyFolders = 0;

    // The group a bookmark goes to: its folder chain joined with " / ", or the source's
    // name when it lies outside any folder.
    QString groupOf(const Bookmark &bookmark) const;
    // Files a bookmark, or counts it as not a web address.
    void add(Bookmark &&bookmark);
};

namespace BookmarkRoots {
// Shown names of the browsers' root folders.
inline const QString firefoxToolbar = QStringLiteral("书签工具栏");
inline const QString firefoxMenu = QStringLiteral("书签菜单");
inline const QString otherBookmarks = QStringLiteral("其他书签");
inline const QString chromiumBar = QStringLiteral("书签栏");
inline const QString mobile = QStringLiteral("移动设备书签");
} // namespace BookmarkRoots

// Whether an address is one a browser can visit as a page: not empty and not a
// bookmarklet or a browser-internal page (javascript:, place:, data:, chrome:, about: ...).
bool isWebAddress(const QString &url);
// Joins a folder chain as the group column shows it.
QString joinFolders(const QStringList &folders);
