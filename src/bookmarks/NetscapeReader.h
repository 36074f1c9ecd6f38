#pragma once

#include "bookmarks/Bookmark.h"

#include <QByteArray>

// Reads the Netscape bookmark file that every browser exports: <DL> lists, <H3> folders
// nested to any depth, <A> links with ADD_DATE and LAST_VISIT, <HR> separators. Lenient
// as browsers are: <DT> and <A> need not be closed, stray closing tags are ignored, and
// a text ends at the next tag. UTF-8 unless a meta charset names GB18030, GBK or GB2312.
namespace NetscapeReader {

// Decodes the file's bytes by its meta charset (UTF-8 when there is none; GB18030 when
// there is none and the bytes are no valid UTF-8).
QString decode(const QByteArray &bytes);
BookmarkSet read(const QByteArray &bytes, const QString &sourceName);
// Replaces character references (&amp; &#39; &#x4E2D; ...); an unknown or unterminated
// one is kept as written, as in Chromium's unescaped "&" inside addresses.
QString decodeEntities(QStringView text);

} // namespace NetscapeReader
