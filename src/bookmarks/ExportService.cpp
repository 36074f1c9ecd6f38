#include "bookmarks/ExportService.h"

#include "bookmarks/NetscapeWriter.h"
#include "platform/AppError.h"

#include <QHash>
#include <QSaveFile>

namespace {

QDateTime storedDate(const QString &viewTime)
{
    QDateTime when = QDateTime::fromString(viewTime, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!when.isValid())
        when = QDateTime::fromString(viewTime, Qt::ISODate);
    if (!when.isValid())
        when = QDate::fromString(viewTime, Qt::ISODate).startOfDay();
    return when;
}

} // namespace

QByteArray ExportService::render(DbConnection &db, const ExportScope &scope, int *count)
{
    NetscapeWriter writer;
    QHash<QString, QDateTime> dates; // most rows share a handful of days
    const auto dateOf = [&dates](const QString &viewTime) {
        auto known = dates.constFind(viewTime);
        if (known == dates.constEnd())
            known = dates.insert(viewTime, storedDate(viewTime));
        return *known;
    };
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
        writer.addLink(row.address, row.name, dateOf(row.viewTime));
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
