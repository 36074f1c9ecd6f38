#include "data/AddressKey.h"

#include "data/TrimUrl.h"

namespace {

// Where the first "://" starts, or -1.
qsizetype schemeSeparator(const QString &text)
{
    for (qsizetype colon = text.indexOf(QLatin1Char(':')); colon >= 0;
         colon = text.indexOf(QLatin1Char(':'), colon + 1)) {
        if (QStringView(text).sliced(colon + 1).startsWith(QLatin1String("//")))
            return colon;
    }
    return -1;
}

QChar lowered(QChar c)
{
    if (c.unicode() >= 0x80)
        return c.toLower();
    return c.unicode() >= u'A' && c.unicode() <= u'Z' ? QChar(char16_t(c.unicode() + (u'a' - u'A'))) : c;
}

} // namespace

QString addressKey(const QString &address)
{
    QString key = trimmedAddress(address);
    // The host runs from after "scheme://" (when there is one) to the first "/", "?" or "#".
    const qsizetype schemeEnd = schemeSeparator(key);
    const qsizetype hostStart = schemeEnd < 0 ? 0 : schemeEnd + 3;
    qsizetype hostEnd = hostStart;
    while (hostEnd < key.size() && key[hostEnd] != QLatin1Char('/') && key[hostEnd] != QLatin1Char('?')
           && key[hostEnd] != QLatin1Char('#'))
        ++hostEnd;
    // The scheme's letter case does not matter either. The text is copied only when a
    // letter changes.
    for (qsizetype i = 0; i < hostEnd; ++i) {
        const QChar c = key.at(i);
        if (const QChar lower = lowered(c); lower != c)
            key[i] = lower;
    }
    return key;
}
