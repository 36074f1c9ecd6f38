#include "data/DailyBackup.h"

#include "data/DbConnection.h"
#include "data/PrivateFiles.h"
#include "data/SqliteEngine.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <sqlite3.h>

namespace {

// Copies the database page by page with SQLite's online backup, which reads a
// consistent state even while another program writes. Gives the error text, or empty.
QString copyDatabase(const QString &source, const QString &target)
{
    sqlite3 *from = nullptr;
    sqlite3 *to = nullptr;
    QString error;
    if (sqlite3_open_v2(QFile::encodeName(source).constData(), &from, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        error = QString::fromUtf8(sqlite3_errmsg(from));
    } else if (sqlite3_open_v2(QFile::encodeName(target).constData(), &to, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                               nullptr)
               != SQLITE_OK) {
        error = QString::fromUtf8(sqlite3_errmsg(to));
    } else {
        sqlite3_busy_timeout(from, DbConnection::DefaultBusyTimeoutMs);
        sqlite3_backup *backup = sqlite3_backup_init(to, "main", from, "main");
        if (!backup) {
            error = QString::fromUtf8(sqlite3_errmsg(to));
        } else {
            const int stepped = sqlite3_backup_step(backup, -1);
            sqlite3_backup_finish(backup);
            if (stepped != SQLITE_DONE)
                error = QString::fromUtf8(sqlite3_errstr(stepped));
            // The copy is one self-contained file, whatever journal the library uses.
            else if (sqlite3_exec(to, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr) != SQLITE_OK)
                error = QString::fromUtf8(sqlite3_errmsg(to));
        }
    }
    sqlite3_close(from);
    sqlite3_close(to);
    return error;
}

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
    const QString error = copyDatabase(databaseFile, partial);
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
