#pragma once

#include "bookmarks/Bookmark.h"

#include <QByteArray>

// Reads any bookmark source the program knows, telling the kind by the file's content:
// a places database (SQLite), a Chromium `Bookmarks` JSON file, or a Netscape bookmark
// HTML file. Bookmarks outside any folder go to a group named after the source: the
// browser for a browser's store, the file's name for a bookmark file. Throws AppError
// when the file cannot be read, is no regular file (a FIFO or a device would block or
// never end), or is none of these; ImportCancelled when `cancel` asks to stop.
namespace BookmarkFile {

enum class Kind { Netscape, Chromium, Firefox, Unknown };

// The kind of a file, told by its first bytes (a few kilobytes are enough).
Kind kindOf(const QByteArray &head);
// `sourceName`, when given, names the group of bookmarks outside any folder.
BookmarkSet read(const QString &file, const ReadCancel &cancel = {}, const QString &sourceName = {});

} // namespace BookmarkFile
