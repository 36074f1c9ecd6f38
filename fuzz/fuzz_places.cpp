// Feeds arbitrary bytes, written as a places.sqlite file, to Firefox's bookmark reader.
#include "bookmarks/FirefoxReader.h"
#include "data/AppError.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    // The SQLite driver is a plugin, found through the application object.
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("places.sqlite"));
    {
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        out.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    try {
        (void)FirefoxReader::read(file, QStringLiteral("Firefox"));
    } catch (const AppError &) {
        // a refused file is a correct answer
    }
    return 0;
}
