#include "data/DailyBackup.h"

#include "data/DbConnection.h"
#include "data/PrivateFiles.h"
#include "data/SqliteEngine.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

void removeOldCopies(const QString &folder, int keep)
{
    static const QRegularExpression copyName(QStringLiteral("^address-\\d{4}-\\d{2}-\\d{2}\\.mdb$"));
    QStringList copies;
    for (const QString &name : QDir(folder).entryList(QDir::Files, QDir::Name)) {
        if (copyName.match(name).hasMatch())
            copies << name;
    }
    // The names sort by their day.
    for (qsizetype i = 0; i + keep < copies.size(); ++i) {
        const QString copy = QDir(folder).filePath(copies.at(i));
        for (const char *suffix : {"", "-wal", "-shm", "-journal"})
            QFile::remove(copy + QLatin1String(suffix));
    }
}

} // namespace

QString DailyBackup::folderFor(const QString &databaseFile)
{
    return QFileInfo(databaseFile).absolutePath() + QStringLiteral("/backups");
}

QString DailyBackup::copyNameFor(const QDate &day)
{
    return QStringLiteral("address-%1.mdb").arg(day.toString(QStringLiteral("yyyy-MM-dd")));
}

QString DailyBackup::takeIfDue(const QString &databaseFile, const QDate &today, int keep)
{
    const QFileInfo database(databaseFile);
    if (databaseFile.isEmpty() || !database.isFile() || database.size() == 0)
        return {}; // nothing stored yet
    // A library that cannot be changed (a read-only folder) has nothing to lose.
    if (!SqliteEngine::canChange(databaseFile))
        return {};
    const QString folder = folderFor(databaseFile);
    const QString target = QDir(folder).filePath(copyNameFor(today));
    if (QFileInfo::exists(target)) {
        removeOldCopies(folder, keep);
        return {};
    }
    const auto failed = [](const QString &why) {
        return QCoreApplication::translate("DailyBackup", "今天的数据库备份未能完成：%1").arg(why);
    };
    if (!PrivateFiles::makeFolder(folder))
        return failed(QCoreApplication::translate("DailyBackup", "无法建立文件夹“%1”").arg(folder));
    // Written under another name first, so that a copy cut short is never taken for the day's.
    const QString partial = target + QStringLiteral(".part");
    QFile::remove(partial);
    // Made first, so that the copy (and its journal) has the modes of the library's files.
    if (!PrivateFiles::createEmpty(partial))
        return failed(QCoreApplication::translate("DailyBackup", "无法写入“%1”").arg(partial));
    const QString error = SqliteEngine::copyFile(databaseFile, partial, DbConnection::DefaultBusyTimeoutMs);
    if (!error.isEmpty()) {
        QFile::remove(partial);
        return failed(error);
    }
    if (!QFile::rename(partial, target)) {
        QFile::remove(partial);
        return failed(QCoreApplication::translate("DailyBackup", "无法写入“%1”").arg(target));
    }
    removeOldCopies(folder, keep);
    return {};
}
