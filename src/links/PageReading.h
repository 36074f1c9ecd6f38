#pragma once

#include <QByteArray>
#include <QString>

// What the check takes from the start of a web page: its title, decoded by the page's
// charset, and where its site icon is. Reads any bytes without failing; a page that
// says nothing gives empty texts.
struct PageFacts
{
    QString title; // whitespace collapsed, character references resolved
    QString iconLink; // the href of <link rel="icon"> as written, empty when none
};

namespace PageReading {

// `contentType` is the answer's Content-Type header; its charset wins over the page's
// own <meta>. Without either, UTF-8 when the bytes are valid UTF-8, else Latin-1.
PageFacts read(const QByteArray &body, const QByteArray &contentType = {});

// The charset named in a Content-Type value ("text/html; charset=gbk"), lower case;
// empty when none.
QByteArray charsetOf(const QByteArray &contentType);

} // namespace PageReading
