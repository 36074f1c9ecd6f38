// Feeds arbitrary bytes to the reader of Chromium's Bookmarks file.
#include "bookmarks/ChromiumReader.h"
#include "data/AppError.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    try {
        (void)ChromiumReader::read(bytes, QStringLiteral("Chromium"));
    } catch (const AppError &) {
        // a refused file is a correct answer
    }
    return 0;
}
