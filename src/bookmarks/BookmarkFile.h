#pragma once

#include "bookmarks/Bookmark.h"

// Reads any bookmark source the program knows, telling the kind by the file's content:
// a places database (SQLite), a Chromium `Bookmarks` JSON file, or a Netscape bookmark
// HTML file. Bookmarks outside any folder go to a group named after the source: the
// browser for a browser's store, the file's name for a bookmark file. Throws AppError
// when the file cannot be read or is none of these.
namespace BookmarkFile {

enum class Kind { Netscape, Chromium, Firefox, Unknown };

Kind kindOf(const QString &file);
BookmarkSet read(const QString &file);

} // namespace BookmarkFile
