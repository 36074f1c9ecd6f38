#include "data/PrivateFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Read, not set and put back: setting it would change it for the other threads a moment.
mode_t currentUmask()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
            if (line.startsWith("Umask:")) {
                bool ok = false;
                const uint mask = line.mid(6).trimmed().toUInt(&ok, 8);
                if (ok)
                    return mode_t(mask);
            }
        }
    }
    return 022;
}

// A folder that gives its group the right to write is shared on purpose.
bool isShared(const QString &folder)
{
    struct stat info = {};
    return ::stat(QFile::encodeName(folder).constData(), &info) == 0 && (info.st_mode & S_IWGRP);
}

} // namespace

namespace PrivateFiles {

bool makeFolder(const QString &folder)
{
    if (QFileInfo(folder).isDir())
        return true;
    if (!QDir().mkpath(folder))
        return false;
    const bool shared = isShared(QFileInfo(folder).absolutePath());
    return ::chmod(QFile::encodeName(folder).constData(), (shared ? 0770 : 0700) & ~currentUmask()) == 0;
}

mode_t fileModeIn(const QString &folder)
{
    return (isShared(folder) ? 0660 : 0600) & ~currentUmask();
}

bool createEmpty(const QString &file)
{
    const int fd = ::open(QFile::encodeName(file).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC,
                          fileModeIn(QFileInfo(file).absolutePath()));
    return fd >= 0 && ::close(fd) == 0;
}

} // namespace PrivateFiles
