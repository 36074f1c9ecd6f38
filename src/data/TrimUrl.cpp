#include "data/TrimUrl.h"

namespace {

// Browsers drop leading blanks and control characters from an address, and tabs and line
// breaks anywhere in it.
QString asBrowserReads(const QString &address)
{
    qsizetype start = 0;
    while (start < address.size() && address.at(start).unicode() <= 0x20)
        ++start;
    QString s = address.mid(start);
    s.remove(QLatin1Char('\t'));
    s.remove(QLatin1Char('\n'));
    s.remove(QLatin1Char('\r'));
    return s;
}

} // namespace

bool looksLikeOption(const QString &address)
{
    return asBrowserReads(address).startsWith(QLatin1Char('-'));
}

bool isScriptAddress(const QString &address)
{
    const QString s = asBrowserReads(address);
    for (const QLatin1String scheme :
         {QLatin1String("javascript:"), QLatin1String("vbscript:"), QLatin1String("data:")}) {
        if (s.startsWith(scheme, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

QString trimmedAddress(const QString &address)
{
    QString s = address;
    // Only these two spellings count as the plain scheme; "Http:" and the secure scheme
    // are kept as typed. The two characters after the colon go whatever they are.
    if (s.startsWith(QLatin1String("http:")) || s.startsWith(QLatin1String("HTTP:"))) {
        const QString rest = s.mid(7);
        if (!looksLikeOption(rest) && !isScriptAddress(rest))
            s = rest;
    }
    if (s.endsWith(QLatin1Char('/')))
        s.chop(1);
    return s;
}
