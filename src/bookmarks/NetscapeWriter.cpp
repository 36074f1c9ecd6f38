#include "bookmarks/NetscapeWriter.h"

#include <string>

namespace {

bool hasScheme(QByteArrayView address)
{
    // "scheme://" (letters, digits, + - . after a first letter), or one of the schemes
    // written without slashes. "www.x.com:8080" is a host and port, not a scheme.
    static const QByteArrayView bareSchemes[] = {"mailto:", "javascript:", "data:", "about:", "news:", "tel:"};
    for (const QByteArrayView scheme : bareSchemes)
        if (address.size() >= scheme.size() && qstrnicmp(address.data(), scheme.data(), scheme.size()) == 0)
            return true;
    // The scheme's characters are read up to the first other one, which must begin the
    // "://": the address itself is not searched, and most have no scheme.
    const auto isAsciiLetter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    if (address.isEmpty() || !isAsciiLetter(address[0]))
        return false;
    qsizetype end = 1;
    while (end < address.size()) {
        const char c = address[end];
        if (!(isAsciiLetter(c) || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'))
            break;
        ++end;
    }
    return address.sliced(end).startsWith("://");
}

// Appends `text` as UTF-8 escaped as escaped() escapes it. Every character escaped is
// ASCII, and the bytes of a character beyond ASCII are never ASCII, so the bytes can be
// escaped one by one; runs without any are copied whole.
void appendEscaped(std::string &out, QByteArrayView utf8)
{
    const char *run = utf8.data();
    const char *const end = run + utf8.size();
    for (const char *p = run; p < end; ++p) {
        const auto c = static_cast<unsigned char>(*p);
        if (c >= 0x20 && c != 0x7F && c != '&' && c != '<' && c != '>' && c != '"')
            continue;
        out.append(run, size_t(p - run));
        run = p + 1;
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += "&#" + std::to_string(c) + ';';
        }
    }
    out.append(run, size_t(end - run));
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
    return hasScheme(address.toUtf8()) ? address : QStringLiteral("http://") + address;
}

void NetscapeWriter::indent()
{
    m_out.append(size_t(4) * size_t(m_depth), ' ');
}

void NetscapeWriter::beginFolder(const QString &name)
{
    indent();
    m_out += "<DT><H3>";
    appendEscaped(m_out, name.toUtf8());
    m_out += "</H3>\n";
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

void NetscapeWriter::addLink(QByteArrayView address, QByteArrayView title, qint64 added)
{
    indent();
    m_out += "<DT><A HREF=\"";
    if (!hasScheme(address))
        m_out += "http://";
    appendEscaped(m_out, address);
    m_out += '"';
    if (added > 0) {
        const std::string seconds = std::to_string(added);
        m_out += " ADD_DATE=\"";
        m_out += seconds;
        m_out += "\" LAST_VISIT=\"";
        m_out += seconds;
        m_out += '"';
    }
    m_out += '>';
    appendEscaped(m_out, title);
    m_out += "</A>\n";
}

QByteArray NetscapeWriter::finish()
{
    while (m_depth > 1)
        endFolder();
    m_out += "</DL><p>\n";
    return QByteArray(m_out.data(), qsizetype(m_out.size()));
}
