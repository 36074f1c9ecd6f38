#pragma once

#include "bookmarks/Bookmark.h"

#include <QByteArray>

// Reads a Chromium-family `Bookmarks` file (JSON). Its roots bookmark_bar, other and
// synced are shown as "书签栏", "其他书签" and "移动设备书签". Throws AppError when the
// file is no such JSON document. Folders deeper than maxFolderDepth are left out and
// their bookmarks counted as tooDeep.
namespace ChromiumReader {

BookmarkSet read(const QByteArray &json, const QString &sourceName, const ReadCancel &cancel = {});

} // namespace ChromiumReader
