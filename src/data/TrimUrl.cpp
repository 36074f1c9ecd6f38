#include "data/TrimUrl.h"

namespace {

// As many characters as the longest scheme looked for ("javascript:").
constexpr qsizetype startLength = 11;

// The first characters of an address as browsers read it: they drop leading blanks and
// control characters, and tabs and line breaks anywhere in it. Kept on the stack: an
// import asks for every address it reads.
struct ReadStart
{
    char16_t text[startLength];
    qsizetype size = 0;

    QStringView view() const { return QStringView(text, size); }
};

ReadStart startAsBrowserReads(const QString &address)
{
    ReadStart start;
    qsizetype i = 0;
    while (i < address.size() && address.at(i).unicode() <= 0x20)
        ++i;
    for (; i < address.size() && start.size < startLength; ++i) {
        const char16_t c = address.at(i).unicode();
        if (c != u'\t' && c != u'\n' && c != u'\r')
            start.text[start.size++] = c;
    }
    return start;
}

} // namespace

bool looksLikeOption(const QString &address)
{
    return startAsBrowserReads(address).view().startsWith(QLatin1Char('-'));
}

bool isScriptAddress(const QString &address)
{
    const ReadStart start = startAsBrowserReads(address);
    for (const QLatin1String scheme :
         {QLatin1String("javascript:"), QLatin1String("vbscript:"), QLatin1String("data:")}) {
        if (start.view().startsWith(scheme, Qt::CaseInsensitive))
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
