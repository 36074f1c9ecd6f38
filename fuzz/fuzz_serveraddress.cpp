// Feeds arbitrary text to the reader of the `Database=` setting. What it accepts, written
// back as a URI, must read again as the same address.
#include "data/AppError.h"
#include "data/ServerAddress.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

QString parts(const ServerAddress &a)
{
    return QStringList{a.host,    QString::number(a.port), a.user,           a.database,
                       a.sslMode, a.connectTimeout,        a.applicationName}
        .join(QLatin1Char('|'));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString uri = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    ServerAddress address;
    try {
        address = ServerAddress::parse(uri);
    } catch (const AppError &) {
        return 0; // a refused address is a correct answer
    }
    (void)address.describe();
    (void)address.connectOptions();
    const QString written = address.toUri();
    try {
        const ServerAddress again = ServerAddress::parse(written);
        if (parts(again) == parts(address))
            return 0;
        std::fprintf(stderr, "\"%s\" read as %s, written as \"%s\", read again as %s\n", qPrintable(uri),
                     qPrintable(parts(address)), qPrintable(written), qPrintable(parts(again)));
    } catch (const AppError &error) {
        std::fprintf(stderr, "\"%s\" written as \"%s\" is refused: %s\n", qPrintable(uri), qPrintable(written),
                     qPrintable(error.message()));
    }
    std::abort();
}
