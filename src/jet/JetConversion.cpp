#include "jet/JetConversion.h"

#include "data/DbConnection.h"
#include "data/Schema.h"
#include "jet/JetFile.h"
#include "jet/TargetRows.h"
#include "data/BulkInsert.h"
#include "data/AppError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QVariant>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Copies every row as it was: group numbers, search numbers, and addresses whose group
// is gone.
class CopyingSink : public JetSink
{
public:
    explicit CopyingSink(DbConnection &db) : m_rows(db) {}

    void group(const JetGroup &group) override
    {
        m_rows.insertGroup(group.groupNo, group.name);
        m_importGroupSeen |= group.name == Schema::ImportGroup;
    }
    void address(const JetAddress &row) override { m_rows.insertAddress(row, row.groupNo); }
    void search(const JetSearch &row) override { m_rows.insertSearch(row, true); }
    void finish() { m_rows.flush(); }

    bool importGroupSeen() const { return m_importGroupSeen; }

private:
    TargetRows m_rows;
    bool m_importGroupSeen = false;
};

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// The work file and its journals, and the temporary files in which the database layer
// builds a new work file (`<work>.new-XXXXXX`) when a run was stopped while building it.
void removeWorkFiles(const QString &work)
{
    QStringList files{work};
    const QFileInfo info(work);
    for (const QString &name :
         info.dir().entryList({info.fileName() + QStringLiteral(".new-*")}, QDir::Files | QDir::Hidden))
        files << info.dir().filePath(name);
    for (const QString &file : std::as_const(files))
        for (const char *suffix : {"", "-wal", "-shm", "-journal"})
            QFile::remove(file + QLatin1String(suffix));
}

qint64 countRows(DbConnection &db, const QString &table)
{
    QSqlQuery query = db.query(QStringLiteral("SELECT count(*) FROM %1").arg(table));
    return query.next() ? query.value(0).toLongLong() : -1;
}

void checkCount(DbConnection &db, const QString &table, qint64 expected)
{
    const qint64 stored = countRows(db, table);
    if (stored != expected)
        throw AppError(QCoreApplication::translate("JetConversion", "转换后的表 %1 有 %2 行，应有 %3 行")
                           .arg(table)
                           .arg(stored)
                           .arg(expected));
}

void checkIntegrity(DbConnection &db)
{
    QSqlQuery query = db.query(QStringLiteral("PRAGMA integrity_check"));
    const QString verdict = query.next() ? query.value(0).toString() : QString();
    if (verdict != QLatin1String("ok"))
        throw AppError(QCoreApplication::translate("JetConversion", "转换后的数据库未通过检查：%1").arg(verdict));
}

void leaveWal(DbConnection &db)
{
    QSqlQuery query = db.query(QStringLiteral("PRAGMA journal_mode=DELETE"));
    if (!query.next() || query.value(0).toString().compare(QLatin1String("delete"), Qt::CaseInsensitive) != 0)
        throw AppError(QCoreApplication::translate("JetConversion", "无法结束数据库的 WAL 模式"));
}

void syncPath(const QString &path, int flags)
{
    const int fd = ::open(QFile::encodeName(path).constData(), flags | O_CLOEXEC);
    if (fd < 0)
        throw AppError(QCoreApplication::translate("JetConversion", "%1：%2").arg(path, systemError()));
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    if (!synced)
        throw AppError(QCoreApplication::translate("JetConversion", "%1：%2").arg(path, systemError()));
}

QStringList addressIndexStatements()
{
    QStringList statements;
    for (const QString &statement : Schema::statements())
        if (statement.startsWith(QLatin1String("CREATE INDEX ")) && statement.contains(QLatin1String(" ON address(")))
            statements << statement;
    return statements;
}

// Writes and checks the new database; the connection is closed on return.
JetConversion::Result writeDatabase(const QString &file, const QString &work, const JetReader::Options &options)
{
    JetConversion::Result result;
    DbConnection db(QStringLiteral("jet-convert"));
    db.setLocation(LibraryLocation::file(work));
    db.open(); // creates the tables of a new library
    // Nobody else sees the work file, and a failed run throws it away: it needs no
    // journal on disk and no sync per commit. It is synced once, whole, before it takes
    // the Jet file's place.
    db.query(QStringLiteral("PRAGMA journal_mode=MEMORY"));
    db.execute(QStringLiteral("PRAGMA synchronous=OFF"));
    db.execute(QStringLiteral("PRAGMA cache_size=-32768"));
    {
        Transaction transaction(db);
        // The new file's own groups give way to the Jet file's, numbers and all.
        db.execute(QStringLiteral("DELETE FROM BaseGroup"));
        // An index built once over all rows costs less than one kept up to date row by
        // row; the schema's own statements make them again after the copy.
        const QStringList addressIndexes = addressIndexStatements();
        for (const QString &statement : addressIndexes)
            db.execute(QStringLiteral("DROP INDEX %1").arg(statement.section(QLatin1Char(' '), 2, 2)));
        BulkInsert bulk(db);
        CopyingSink sink(db);
        result.counts = JetReader::read(file, sink, options);
        sink.finish();
        bulk.finish();
        for (const QString &statement : addressIndexes)
            db.execute(statement);
        if (!sink.importGroupSeen()) {
            db.execute(QStringLiteral("INSERT INTO BaseGroup (GroupNo, GroupName) "
                                      "VALUES ((SELECT coalesce(max(GroupNo), 0) + 1 FROM BaseGroup), ?)"),
                       {Schema::ImportGroup});
            result.importGroupAdded = true;
        }
        transaction.commit();
    }
    checkIntegrity(db);
    checkCount(db, QStringLiteral("BaseGroup"), result.counts.groups + (result.importGroupAdded ? 1 : 0));
    checkCount(db, QStringLiteral("address"), result.counts.addresses);
    checkCount(db, QStringLiteral("Search"), result.counts.searches);
    leaveWal(db);
    db.close();
    return result;
}

} // namespace

QString JetConversion::workFileFor(const QString &file)
{
    return file + QStringLiteral(".converting");
}

void JetConversion::removeLeftovers(const QString &file)
{
    removeWorkFiles(workFileFor(file));
}

JetConversion::Result JetConversion::convertInPlace(const QString &file, const JetReader::Options &options)
{
    const QString work = workFileFor(file);
    removeWorkFiles(work);
    Result result;
    try {
        result = writeDatabase(file, work, options);
        syncPath(work, O_RDONLY);
    } catch (const AppError &error) {
        removeWorkFiles(work);
        if (JetReader::isReadFailure(error.message(), file))

            throw;
        throw AppError(QCoreApplication::translate("JetConversion", "无法转换 %1：%2")
                           .arg(QFileInfo(file).fileName(), error.message()));
    }

    const QByteArray source = QFile::encodeName(file);
    for (;;) {
        result.keptJetFile = JetFile::keptName(file);
        if (::link(source.constData(), QFile::encodeName(result.keptJetFile).constData()) == 0)
            break;
        // The name may be a second name of this very file already (a stopped run), or
        // may have been taken just now; keptName() tells which.
        if (errno == EEXIST && JetFile::keptName(file) == result.keptJetFile)
            break;
        if (errno == EEXIST)
            continue;
        const QString why = systemError();
        removeWorkFiles(work);
        throw AppError(
            QCoreApplication::translate("JetConversion", "无法保留原文件 %1：%2").arg(QFileInfo(file).fileName(), why));
    }
    if (::rename(QFile::encodeName(work).constData(), source.constData()) != 0) {
        const QString why = systemError();
        removeWorkFiles(work);
        throw AppError(
            QCoreApplication::translate("JetConversion", "无法替换 %1：%2").arg(QFileInfo(file).fileName(), why));
    }
    // The conversion is done; a folder that cannot be synced changes nothing about that.
    try {
        syncPath(QFileInfo(file).absolutePath(), O_RDONLY | O_DIRECTORY);
    } catch (const AppError &) {}
    return result;
}
