// Feeds arbitrary bytes to the reader of Internet shortcut files (*.url): once as the
// content of a file, once as a file name, since both come from the user's Favorites folder.

#include "favorites/FavoritesReader.h"
#include "data/AppError.h"

#include <QByteArray>
#include <QString>
#include <QStringDecoder>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fail(const char *what)
{
    std::fprintf(stderr, "urlfile: %s\n", what);
    std::abort();
}

void readAsShortcut(const QByteArray &bytes)
{
    QString address;
    try {
        address = addressFromShortcutBytes(bytes, QByteArrayLiteral("fuzz.url"));
    } catch (const AppError &error) {
        if (error.message().isEmpty())
            fail("an error without a text");
        return;
    }
    // The address is the rest of one line of the text before its first NUL.
    if (address.contains(u'\r') || address.contains(u'\n') || address.contains(QChar(0)))
        fail("the address holds a line break or a NUL");
    if (address.size() > bytes.size())
        fail("the address is longer than the file");
}

void readAsName(const QByteArray &bytes)
{
    // Valid UTF-8 is taken as UTF-8, anything else as GB18030. Qt's own UTF-8 decoder is
    // the referee: what it decodes and encodes back unchanged is valid.
    static QStringDecoder gb18030("GB18030");
    const QString name = decodeLocalText(bytes);
    const QString asUtf8 = QString::fromUtf8(bytes);
    // Qt drops a byte-order mark at the start.
    const QByteArrayView withoutMark =
        bytes.startsWith("\xEF\xBB\xBF") ? QByteArrayView(bytes).sliced(3) : QByteArrayView(bytes);
    if (asUtf8.toUtf8() == withoutMark) {
        if (name != asUtf8)
            fail("valid UTF-8 was not decoded as UTF-8");
    } else {
        const QString asGb18030 = gb18030.decode(bytes);
        gb18030.resetState();
        if (name != asGb18030)
            fail("text that is not UTF-8 was not decoded as GB18030");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    readAsShortcut(bytes);
    readAsName(bytes);
    return 0;
}
