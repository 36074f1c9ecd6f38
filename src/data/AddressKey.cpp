#include "data/AddressKey.h"

#include "data/TrimUrl.h"

QString addressKey(const QString &address)
{
    QString key = trimmedAddress(address);
    // The host runs from after "scheme://" (when there is one) to the first "/", "?" or "#".
    const qsizetype schemeEnd = key.indexOf(QLatin1String("://"));
    const qsizetype hostStart = schemeEnd < 0 ? 0 : schemeEnd + 3;
    qsizetype hostEnd = hostStart;
    while (hostEnd < key.size() && key[hostEnd] != QLatin1Char('/') && key[hostEnd] != QLatin1Char('?')
           && key[hostEnd] != QLatin1Char('#'))
        ++hostEnd;
    // The scheme's letter case does not matter either.
    for (qsizetype i = 0; i < hostEnd; ++i)
        key[i] = key[i].toLower();
    return key;
}
