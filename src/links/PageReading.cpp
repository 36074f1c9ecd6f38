#include "links/PageReading.h"

#include "bookmarks/NetscapeReader.h"

#include <QHash>
#include <QStringDecoder>

namespace {

// A title longer than this is a page's mistake; the rest is dropped.
constexpr qsizetype MaxTitleLength = 1024;

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

struct Tag
{
    QByteArray name; // lower case
    QHash<QByteArray, QByteArray> attributes; // names lower case, values as written
    qsizetype end = 0; // just past '>'
};

// Reads the tag that starts at `at` (the '<'); the html text is `lower`-cased for names
// but values come from `raw`.
Tag readTag(const QByteArray &raw, const QByteArray &lower, qsizetype at)
{
    Tag tag;
    const qsizetype size = raw.size();
    qsizetype i = at + 1;
    const qsizetype nameStart = i;
    while (i < size && !isSpace(raw[i]) && raw[i] != '>' && raw[i] != '/')
        ++i;
    tag.name = lower.mid(nameStart, i - nameStart);
    while (i < size && raw[i] != '>') {
        if (isSpace(raw[i]) || raw[i] == '/') {
            ++i;
            continue;
        }
        const qsizetype attrStart = i;
        while (i < size && !isSpace(raw[i]) && raw[i] != '=' && raw[i] != '>' && raw[i] != '/')
            ++i;
        const QByteArray attrName = lower.mid(attrStart, i - attrStart);
        while (i < size && isSpace(raw[i]))
            ++i;
        QByteArray value;
        if (i < size && raw[i] == '=') {
            ++i;
            while (i < size && isSpace(raw[i]))
                ++i;
            if (i < size && (raw[i] == '"' || raw[i] == '\'')) {
                const char quote = raw[i++];
                const qsizetype valueStart = i;
                while (i < size && raw[i] != quote)
                    ++i;
                value = raw.mid(valueStart, i - valueStart);
                if (i < size)
                    ++i;
            } else {
                const qsizetype valueStart = i;
                while (i < size && !isSpace(raw[i]) && raw[i] != '>')
                    ++i;
                value = raw.mid(valueStart, i - valueStart);
            }
        }
        if (!attrName.isEmpty() && !tag.attributes.contains(attrName))
            tag.attributes.insert(attrName, value);
    }
    tag.end = i < size ? i + 1 : size;
    return tag;
}

bool relNamesIcon(const QByteArray &rel)
{
    const QList<QByteArray> tokens = rel.toLower().simplified().split(' ');
    return tokens.contains("icon");
}

QString decode(const QByteArray &bytes, const QByteArray &charset)
{
    if (!charset.isEmpty()) {
        QStringDecoder decoder(NetscapeReader::decoderFor(charset).constData());
        if (decoder.isValid())
            return decoder.decode(bytes);
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return QString::fromLatin1(bytes);
}

QByteArray charsetOfMeta(const Tag &tag)
{
    if (tag.attributes.contains("charset"))
        return tag.attributes.value("charset").trimmed().toLower();
    if (tag.attributes.value("http-equiv").trimmed().toLower() == "content-type")
        return PageReading::charsetOf(tag.attributes.value("content"));
    return {};
}

} // namespace

QByteArray PageReading::charsetOf(const QByteArray &contentType)
{
    const QByteArray lower = contentType.toLower();
    const qsizetype at = lower.indexOf("charset=");
    if (at < 0)
        return {};
    QByteArray value = lower.mid(at + 8);
    const qsizetype end = value.indexOf(';');
    if (end >= 0)
        value.truncate(end);
    value = value.trimmed();
    if (value.startsWith('"') || value.startsWith('\''))
        value = value.mid(1);
    if (value.endsWith('"') || value.endsWith('\''))
        value.chop(1);
    return value.trimmed();
}

PageFacts PageReading::read(const QByteArray &body, const QByteArray &contentType)
{
    const QByteArray lower = body.toLower();
    QByteArray charset = charsetOf(contentType);
    QByteArray titleBytes;
    bool titleFound = false;
    PageFacts facts;
    qsizetype i = 0;
    while (i < body.size()) {
        const qsizetype open = body.indexOf('<', i);
        if (open < 0 || open + 1 >= body.size())
            break;
        if (lower.mid(open, 4) == "<!--") {
            const qsizetype close = body.indexOf("-->", open + 4);
            if (close < 0)
                break;
            i = close + 3;
            continue;
        }
        const Tag tag = readTag(body, lower, open);
        i = tag.end;
        if (tag.name == "meta" && charset.isEmpty()) {
            charset = charsetOfMeta(tag);
        } else if (tag.name == "link" && facts.iconLink.isEmpty() && relNamesIcon(tag.attributes.value("rel"))) {
            facts.iconLink = QString::fromUtf8(tag.attributes.value("href").trimmed());
        } else if (tag.name == "title" && !titleFound) {
            titleFound = true;
            qsizetype close = lower.indexOf("</title", i);
            if (close < 0)
                close = body.size();
            titleBytes = body.mid(i, close - i);
            i = close;
        }
        if (tag.name == "body" || (titleFound && !facts.iconLink.isEmpty() && !charset.isEmpty()))
            break;
    }
    facts.title = NetscapeReader::decodeEntities(decode(titleBytes, charset)).simplified().left(MaxTitleLength);
    return facts;
}
