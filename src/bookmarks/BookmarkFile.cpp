#include "bookmarks/BookmarkFile.h"

#include "bookmarks/ChromiumReader.h"
#include "bookmarks/FirefoxReader.h"
#include "bookmarks/NetscapeReader.h"
#include "data/AppError.h"

#include <QFile>
#include <QFileInfo>

namespace {

QByteArray readAll(const QString &file)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        throw AppError(QStringLiteral("无法打开文件：%1（%2）").arg(file, in.errorString()));
    return in.readAll();
}

} // namespace

BookmarkFile::Kind BookmarkFile::kindOf(const QString &file)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return Kind::Unknown;
    const QByteArray head = in.read(4096);
    if (head.startsWith("SQLite format 3"))
        return Kind::Firefox;
    const QByteArray trimmed = head.trimmed();
    if (trimmed.startsWith('{'))
        return Kind::Chromium;
    const QByteArray lower = head.toLower();
    if (lower.contains("<dl") || lower.contains("<!doctype netscape") || lower.contains("<a "))
        return Kind::Netscape;
    return Kind::Unknown;
}

BookmarkSet BookmarkFile::read(const QString &file)
{
    switch (kindOf(file)) {
    case Kind::Firefox:
        return FirefoxReader::read(file, QStringLiteral("Firefox"));
    case Kind::Chromium:
        return ChromiumReader::read(readAll(file), QStringLiteral("Chromium"));
    case Kind::Netscape:
        return NetscapeReader::read(readAll(file), QFileInfo(file).fileName());
    case Kind::Unknown:
        break;
    }
    if (!QFileInfo::exists(file))
        throw AppError(QStringLiteral("文件不存在：%1").arg(file));
    throw AppError(QStringLiteral("不是书签文件：%1").arg(file));
}
