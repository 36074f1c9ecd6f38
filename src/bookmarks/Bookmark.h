#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

// One bookmark read from a browser's store or a bookmark file.
struct Bookmark
{
    QStringList folders; // the folder chain, outermost first (the root's shown name included)
    QString title;
    QString url; // as the source stored it
    QDateTime added; // invalid when the source gives none
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
    int tooDeep = 0; // bookmarks in folders nested deeper than maxFolderDepth, left out
    int badBytes = 0; // bytes that were no text in the file's charset, read as U+FFFD

    // The group a bookmark goes to: its folder chain joined with " / ", or the source's
    // name when it lies outside any folder.
    QString groupOf(const Bookmark &bookmark) const;
    // Files a bookmark, or counts it as not a web address.
    void add(Bookmark &&bookmark);
};

// Folders nested deeper than this are made by no browser; every reader stops there, so
// that a hostile file can neither exhaust the stack nor multiply its size in memory.
constexpr int maxFolderDepth = 256;

// Asked now and then while a source is read; true stops the reading, which then throws
// ImportCancelled. Empty: the reading runs to its end.
using ReadCancel = std::function<bool()>;

// Thrown when the caller cancels an import; nothing of it was stored.
struct ImportCancelled
{};

// Throws ImportCancelled when the caller asked to stop.
inline void stopIfCancelled(const ReadCancel &cancel)
{
    if (cancel && cancel())
        throw ImportCancelled{};
}

namespace BookmarkRoots {
// Shown names of the browsers' root folders. They begin the names of the groups an import
// stores, and stay the same in every language so that a second import finds them.

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
