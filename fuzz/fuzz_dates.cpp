// Feeds arbitrary text to the display of stored dates. The fast formatter of listings
// must show every text exactly as the plain one does, from UTF-16 and from UTF-8 alike.
// The first byte picks the locale.
#include "data/Dates.h"

#include <QLocale>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    static const QLocale locales[] = {
        QLocale(QLocale::Chinese, QLocale::China),     QLocale(QLocale::English, QLocale::UnitedStates),
        QLocale(QLocale::German, QLocale::Germany),    QLocale(QLocale::Arabic, QLocale::Egypt),
        QLocale(QLocale::Korean, QLocale::SouthKorea), QLocale::c(),
    };
    const QLocale &locale = locales[data[0] % std::size(locales)];
    QLocale::setDefault(locale);
    const QByteArrayView utf8(reinterpret_cast<const char *>(data) + 1, qsizetype(size) - 1);
    const QString stored = QString::fromUtf8(utf8);

    const QString expected = Dates::forDisplay(stored);
    Dates::DisplayFormatter formatter;
    const QString fromText = formatter.format(QStringView(stored));
    const QString fromBytes = formatter.format(stored.toUtf8());
    if (fromText != expected || fromBytes != expected) {
        std::fprintf(stderr, "stored \"%s\" (%s): shown \"%s\", fast \"%s\" / \"%s\"\n", qPrintable(stored),
                     qPrintable(locale.name()), qPrintable(expected), qPrintable(fromText), qPrintable(fromBytes));
        std::abort();
    }
    return 0;
}
