#include "bookmarks/BookmarkFile.h"

#include "bookmarks/ChromiumReader.h"
#include "bookmarks/FirefoxReader.h"
#include "bookmarks/NetscapeReader.h"
#include "data/AppError.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qsizetype headSize = 4096;
constexpr qint64 chunkSize = 1 << 20; // read between two looks at the cancel

// Opens a file for reading only when it is a regular file. The check is made on the
// opened descriptor, and the opening itself does not wait (O_NONBLOCK), so that a FIFO
// put in the file's place is refused instead of blocking the reading.
void openRegular(QFile &in, const QString &file)
{
    const int fd = ::open(QFile::encodeName(file).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        if (error == ENOENT)
            throw AppError(QCoreApplication::translate("BookmarkFile", "文件不存在：%1").arg(file));
        throw AppError(QCoreApplication::translate("BookmarkFile", "无法打开文件：%1（%2）")
                           .arg(file, QString::fromLocal8Bit(std::strerror(error))));
    }
    struct stat status
    {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        throw AppError(QCoreApplication::translate("BookmarkFile", "不是普通文件：%1").arg(file));
    }
    if (!in.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        throw AppError(
            QCoreApplication::translate("BookmarkFile", "无法打开文件：%1（%2）").arg(file, in.errorString()));
    }
}

QByteArray readRest(QFile &in, QByteArray bytes, const ReadCancel &cancel)
{
    const qint64 size = in.size();
    if (size > bytes.size())
        bytes.reserve(qsizetype(size));
    for (;;) {
        stopIfCancelled(cancel);
        const QByteArray chunk = in.read(chunkSize);
        if (chunk.isEmpty())
            break;
        bytes += chunk;
    }
    if (in.error() != QFileDevice::NoError)
        throw AppError(
            QCoreApplication::translate("BookmarkFile", "无法读取文件：%1（%2）").arg(in.fileName(), in.errorString()));
    return bytes;
}

// The start of the file as text for the markers below: decoded by its byte-order mark,
// else byte for byte (the markers are ASCII).
QString headText(const QByteArray &head)
{
    if (const auto marked = QStringConverter::encodingForData(head)) {
        QStringDecoder decoder(*marked);
        return decoder.decode(head);
    }
    return QString::fromLatin1(head);
}

} // namespace

BookmarkFile::Kind BookmarkFile::kindOf(const QByteArray &head)
{
    if (head.startsWith("SQLite format 3"))
        return Kind::Firefox;
    const QString text = headText(head.left(headSize));
    if (text.trimmed().startsWith(QLatin1Char('{')))
        return Kind::Chromium;
    if (text.contains(QLatin1String("<dl"), Qt::CaseInsensitive)
        || text.contains(QLatin1String("<!doctype netscape"), Qt::CaseInsensitive)
        || text.contains(QLatin1String("<a "), Qt::CaseInsensitive))
        return Kind::Netscape;
    return Kind::Unknown;
}

BookmarkSet BookmarkFile::read(const QString &file, const ReadCancel &cancel, const QString &sourceName)
{
    QFile in;
    openRegular(in, file);
    const QByteArray head = in.read(headSize);
    const auto named = [&sourceName](const QString &fallback) { return sourceName.isEmpty() ? fallback : sourceName; };
    switch (kindOf(head)) {
    case Kind::Firefox: in.close(); return FirefoxReader::read(file, named(QStringLiteral("Firefox")), cancel);
    case Kind::Chromium:
        return ChromiumReader::read(readRest(in, head, cancel), named(QStringLiteral("Chromium")), cancel);
    case Kind::Netscape:
        return NetscapeReader::read(readRest(in, head, cancel), named(QFileInfo(file).fileName()), cancel);
    case Kind::Unknown: break;
    }
    throw AppError(QCoreApplication::translate("BookmarkFile", "不是书签文件：%1").arg(file));
}
