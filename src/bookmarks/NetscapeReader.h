#pragma once

#include "bookmarks/Bookmark.h"

#include <QByteArray>

// Reads the Netscape bookmark file that every browser exports: <DL> lists, <H3> folders
// nested up to maxFolderDepth (the bookmarks of deeper ones are counted as tooDeep),
// <A> links with ADD_DATE and LAST_VISIT, <HR> separators. Lenient as browsers are: <DT>
// and <A> need not be closed, stray closing tags are ignored, and a text ends at the next
// tag. A file that Firefox wrote gets the root names of Firefox's own store.
namespace NetscapeReader {

struct Text
{
    QString text;
    int badBytes = 0; // bytes that were no text in the charset, read as U+FFFD
};

// Decodes the file's bytes: by its byte-order mark, else by the charset its <meta>
// declares (any that ICU knows), else as UTF-8 unless most of the bytes beyond ASCII
// are no UTF-8, then as GB18030. Throws AppError, naming it, when the declared charset
// is one that cannot be decoded.
Text decode(const QByteArray &bytes);
BookmarkSet read(const QByteArray &bytes, const QString &sourceName, const ReadCancel &cancel = {});
// Replaces character references (&amp; &#39; &#x4E2D; ...); an unknown or unterminated
// one is kept as written, as in Chromium's unescaped "&" inside addresses.
QString decodeEntities(QStringView text);
// What to decode a declared charset label with (lower case). Browsers read these labels as
// the larger charset that pages so labelled use in practice (GB2312 as GB18030, Latin-1 as
// windows-1252); a UTF-16 label on bytes readable as ASCII is wrong, and browsers read it
// as UTF-8. Other labels are given as they are.
QByteArray decoderFor(const QByteArray &declared);

} // namespace NetscapeReader
