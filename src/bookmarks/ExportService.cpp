#include "bookmarks/ExportService.h"

#include "bookmarks/NetscapeWriter.h"
#include "data/AppError.h"

#include <QSaveFile>
#include <ctime>

namespace {

int digits(const QString &text, qsizetype at, qsizetype count)
{
    int value = 0;
    for (qsizetype i = at; i < at + count; ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c - u'0');
    }
    return value;
}

// Seconds since the epoch of a stored ViewTime ("YYYY-MM-DD", with " HH:MM:SS" where a
// time exists), read as local time; 0 for text that is no such date. Every row has a
// time of its own, so this runs 100,000 times for a large export: the plain C
// conversion is many times faster than QDateTime's parsing and zone lookup.
qint64 storedSeconds(const QString &viewTime)
{
    if (viewTime.size() != 10 && viewTime.size() != 19)
        return 0;
    std::tm when{};
    when.tm_year = digits(viewTime, 0, 4) - 1900;
    when.tm_mon = digits(viewTime, 5, 2) - 1;
    when.tm_mday = digits(viewTime, 8, 2);
    if (viewTime.size() == 19) {
        when.tm_hour = digits(viewTime, 11, 2);
        when.tm_min = digits(viewTime, 14, 2);
        when.tm_sec = digits(viewTime, 17, 2);
    }
    if (when.tm_year < 0 || when.tm_mon < 0 || when.tm_mon > 11 || when.tm_mday < 1 || when.tm_mday > 31
        || when.tm_hour < 0 || when.tm_min < 0 || when.tm_sec < 0)
        return 0;
    when.tm_isdst = -1;
    const std::time_t seconds = std::mktime(&when);
    return seconds > 0 ? qint64(seconds) : 0;
}

} // namespace

QByteArray ExportService::render(DbConnection &db, const ExportScope &scope, int *count)
{
    NetscapeWriter writer;
    int written = 0;
    QStringList groups = ExportRows::groups(db, scope);
    qsizetype nextGroup = 0;
    QString open;
    bool folderOpen = false;
    const auto openFolder = [&](const QString &name) {
        if (folderOpen)
            writer.endFolder();
        writer.beginFolder(name);
        folderOpen = true;
        open = name;
    };
    // Groups without addresses are written as empty folders in their place.
    const auto catchUpTo = [&](const QString &name) {
        while (nextGroup < groups.size() && groups[nextGroup] != name)
            openFolder(groups[nextGroup++]);
        if (nextGroup < groups.size())
            ++nextGroup;
    };
    if (scope.kind == ExportScope::Kind::Favourites)
        openFolder(QStringLiteral("收藏夹"));
    ExportRows::forEach(db, scope, [&](ExportRow &&row) {
        if (scope.kind != ExportScope::Kind::Favourites && (!folderOpen || row.groupName != open)) {
            catchUpTo(row.groupName);
            openFolder(row.groupName);
        }
        writer.addLink(row.address, row.name, storedSeconds(row.viewTime));
        ++written;
    });
    if (scope.kind != ExportScope::Kind::Favourites)
        catchUpTo(QString(QChar(0))); // the empty groups after the last address
    if (count)
        *count = written;
    return writer.finish();
}

int ExportService::exportTo(DbConnection &db, const QString &file, const ExportScope &scope)
{
    int count = 0;
    const QByteArray bytes = render(db, scope, &count);
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit())
        throw AppError(QStringLiteral("无法写入文件：%1（%2）").arg(file, out.errorString()));
    return count;
}
