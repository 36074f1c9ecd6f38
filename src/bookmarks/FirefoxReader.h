#pragma once

#include "bookmarks/Bookmark.h"

// Reads the bookmarks of a Firefox profile's places.sqlite. The browser may be running
// and may hold recent bookmarks in the -wal file only, so the reader copies the database
// together with its -wal into a temporary folder and reads the copy. The roots toolbar,
// menu, unfiled and mobile are shown as "书签工具栏", "书签菜单", "其他书签" and
// "移动设备书签"; the tags root is no group and is skipped. Folders deeper than
// maxFolderDepth are left out and their bookmarks counted as tooDeep. Throws AppError
// when the file cannot be read as a places database: one that is no regular file, or
// whose bookmark tables are views, or that holds a trigger, is refused.
namespace FirefoxReader {

BookmarkSet read(const QString &placesFile, const QString &sourceName, const ReadCancel &cancel = {});

} // namespace FirefoxReader
