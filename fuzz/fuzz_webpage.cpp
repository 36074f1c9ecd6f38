// Feeds arbitrary bytes to the reader of a web page's title and icon link, once with the
// page's own charset and once with a charset named by the answer's header.
#include "links/PageReading.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    (void)PageReading::read(bytes);
    // The first line stands for a Content-Type header.
    const qsizetype newline = bytes.indexOf('\n');
    if (newline >= 0)
        (void)PageReading::read(bytes.mid(newline + 1), bytes.left(newline));
    return 0;
}
