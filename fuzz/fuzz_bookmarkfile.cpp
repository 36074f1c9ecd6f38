// Feeds arbitrary bytes to the sniffing that tells which reader a bookmark file goes to,
// and then to that reader when it reads bytes (the places reader has a target of its own).
#include "bookmarks/BookmarkFile.h"
#include "bookmarks/ChromiumReader.h"
#include "bookmarks/NetscapeReader.h"
#include "data/AppError.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    try {
        switch (BookmarkFile::kindOf(bytes)) {
        case BookmarkFile::Kind::Netscape: (void)NetscapeReader::read(bytes, QStringLiteral("fuzz.html")); break;
        case BookmarkFile::Kind::Chromium: (void)ChromiumReader::read(bytes, QStringLiteral("Chromium")); break;
        case BookmarkFile::Kind::Firefox:
        case BookmarkFile::Kind::Unknown: break;
        }
    } catch (const AppError &) {
        // a refused file is a correct answer
    }
    return 0;
}
