// Feeds arbitrary bytes to the reader of Firefox's profiles.ini.
#include "bookmarks/ProfileLists.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    for (const ProfileLists::FirefoxEntry &entry : ProfileLists::firefoxProfiles(bytes)) {
        if (entry.path.isEmpty() || entry.name.isEmpty())
            __builtin_trap(); // a profile is always given with a path and a name
    }
    return 0;
}
