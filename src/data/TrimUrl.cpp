#include "data/TrimUrl.h"

QString P_TrimUrl(const QString &address)
{
    QString s = address;
    // Only these two spellings count as the plain scheme; "Http:" and the secure scheme
    // are kept as typed. The two characters after the colon go whatever they are.
    if (s.startsWith(QLatin1String("http:")) || s.startsWith(QLatin1String("HTTP:")))
        s.remove(0, 7);
    if (s.endsWith(QLatin1Char('/')))
        s.chop(1);
    return s;
}
