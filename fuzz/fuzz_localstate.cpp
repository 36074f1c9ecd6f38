// Feeds arbitrary bytes to the reader of the profile names in Chromium's "Local State".
#include "bookmarks/ProfileLists.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    (void)ProfileLists::chromiumProfileNames(bytes);
    return 0;
}
