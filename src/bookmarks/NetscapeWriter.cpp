#include "bookmarks/NetscapeWriter.h"

namespace {

bool hasScheme(const QString &address)
{
    // "scheme://" (letters, digits, + - . after a first letter), or one of the schemes
    // written without slashes. "www.x.com:8080" is a host and port, not a scheme.
    static const QLatin1String bareSchemes[] = {QLatin1String("mailto:"), QLatin1String("javascript:"),
                                                QLatin1String("data:"), QLatin1String("about:"),
                                                QLatin1String("news:"), QLatin1String("tel:")};
    for (const QLatin1String &scheme : bareSchemes)
        if (address.startsWith(scheme, Qt::CaseInsensitive))
            return true;
    const qsizetype separator = address.indexOf(QLatin1String("://"));
    if (separator <= 0 || !address[0].isLetter() || address[0].unicode() > 127)
        return false;
    for (qsizetype i = 1; i < separator; ++i) {
        const QChar c = address[i];
        if (c.unicode() > 127 || !(c.isLetterOrNumber() || c == QLatin1Char('+') || c == QLatin1Char('-')
                                   || c == QLatin1Char('.')))
            return false;
    }
    return true;
}

} // namespace

NetscapeWriter::NetscapeWriter()
{
    m_out = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"
            "<!-- This is an automatically generated file.\n"
            "     It will be read and overwritten.\n"
            "     DO NOT EDIT! -->\n"
            "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n"
            "<TITLE>Bookmarks</TITLE>\n"
            "<H1>Bookmarks</H1>\n"
            "<DL><p>\n";
}

QString NetscapeWriter::escaped(const QString &text)
{
    QString out;
    out.reserve(text.size() + 8);
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '&': out += QLatin1String("&amp;"); break;
        case '<': out += QLatin1String("&lt;"); break;
        case '>': out += QLatin1String("&gt;"); break;
        case '"': out += QLatin1String("&quot;"); break;
        default:
            // A line break would end the entry for some readers, and no control
            // character may stand in the text raw: each is written as a reference,
            // which reads back as the same character.
            if (c.unicode() < 0x20 || c.unicode() == 0x7F)
                out += QStringLiteral("&#%1;").arg(c.unicode());
            else
                out += c;
        }
    }
    return out;
}

QString NetscapeWriter::withScheme(const QString &address)
{
    return hasScheme(address) ? address : QStringLiteral("http://") + address;
}

void NetscapeWriter::indent()
{
    m_out.append(qsizetype(4) * m_depth, ' ');
}

void NetscapeWriter::beginFolder(const QString &name)
{
    indent();
    m_out += "<DT><H3>" + escaped(name).toUtf8() + "</H3>\n";
    indent();
    m_out += "<DL><p>\n";
    ++m_depth;
}

void NetscapeWriter::endFolder()
{
    if (m_depth <= 1)
        return;
    --m_depth;
    indent();
    m_out += "</DL><p>\n";
}

void NetscapeWriter::addLink(const QString &address, const QString &title, qint64 added)
{
    indent();
    m_out += "<DT><A HREF=\"" + escaped(withScheme(address)).toUtf8() + '"';
    if (added > 0) {
        const QByteArray seconds = QByteArray::number(added);
        m_out += " ADD_DATE=\"" + seconds + "\" LAST_VISIT=\"" + seconds + '"';
    }
    m_out += '>' + escaped(title).toUtf8() + "</A>\n";
}

QByteArray NetscapeWriter::finish()
{
    while (m_depth > 1)
        endFolder();
    m_out += "</DL><p>\n";
    return std::move(m_out);
}
