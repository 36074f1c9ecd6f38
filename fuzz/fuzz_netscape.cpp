// Feeds arbitrary bytes to the Netscape bookmark file reader.
#include "bookmarks/NetscapeReader.h"
#include "data/AppError.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    try {
        const BookmarkSet set = NetscapeReader::read(bytes, QStringLiteral("fuzz.html"));
        for (const Bookmark &bookmark : set.bookmarks)
            (void)set.groupOf(bookmark);
    } catch (const AppError &) {
        // a declared charset that cannot be decoded is refused: a correct answer
    }
    return 0;
}
