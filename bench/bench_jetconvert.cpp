// Speed and memory of converting a Jet address file, against the floor of the same work
// done by hand: libmdb reading the same rows plus the inserts through the sqlite3 C API
// in one transaction.
//
//   bench_jetconvert convert FILE   copies FILE to a temporary folder (not timed) and
//                                   converts it in place as the program does
//   bench_jetconvert floor FILE     reads FILE's three tables with libmdb and writes
//                                   them into a new SQLite file with the same tables
//
// Each run is one process, so that a whole-process timer also gives its peak resident
// memory. Without arguments it runs both on the bulk file of 100,000 addresses (from
// $JET_BULK_FILE or ../shared/fixtures/jet/bulk100k.mdb) and prints the wall times.
// Target: the conversion within 1.5 times the floor, under 150 MB resident.

#include "data/Schema.h"
#include "jet/JetConversion.h"
#include "data/AppError.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <mdbtools.h>
#include <sqlite3.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

void check(int rc, sqlite3 *db)
{
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
        std::fprintf(stderr, "sqlite: %s\n", sqlite3_errmsg(db));
        std::exit(1);
    }
}

// Copies one table with every column bound as text.
void copyTable(MdbHandle *mdb, sqlite3 *db, const char *table, const char *insert, int columns)
{
    MdbTableDef *def = mdb_read_table_by_name(mdb, const_cast<char *>(table), MDB_TABLE);
    if (!def)
        return;
    mdb_read_columns(def);
    mdb_rewind_table(def);
    std::vector<std::vector<char>> buffers(def->num_cols, std::vector<char>(MDB_BIND_SIZE + 1));
    std::vector<int> lengths(def->num_cols);
    for (unsigned i = 0; i < def->num_cols; ++i)
        mdb_bind_column(def, int(i) + 1, buffers[i].data(), &lengths[i]);
    sqlite3_stmt *statement = nullptr;
    check(sqlite3_prepare_v2(db, insert, -1, &statement, nullptr), db);
    while (mdb_fetch_row(def)) {
        for (int c = 0; c < columns; ++c)
            sqlite3_bind_text(statement, c + 1, buffers[size_t(c)].data(), lengths[size_t(c)], SQLITE_STATIC);
        check(sqlite3_step(statement), db);
        sqlite3_reset(statement);
    }
    sqlite3_finalize(statement);
    mdb_free_tabledef(def);
}

int runFloor(const QString &jetFile, const QString &target)
{
    MdbHandle *mdb = mdb_open(QFile::encodeName(jetFile).constData(), MDB_NOFLAGS);
    if (!mdb)
        return 1;
    mdb_set_date_fmt(mdb, "%Y-%m-%d");
    mdb_set_boolean_fmt_numbers(mdb);
    sqlite3 *db = nullptr;
    check(sqlite3_open(QFile::encodeName(target).constData(), &db), db);
    check(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), db);
    // The fastest plain way: the tables first, their indexes once the rows are in.
    QStringList indexes;
    for (const QString &statement : Schema::statements()) {
        if (statement.startsWith(QLatin1String("CREATE INDEX ")))
            indexes << statement;
        else
            check(sqlite3_exec(db, statement.toUtf8().constData(), nullptr, nullptr, nullptr), db);
    }
    check(sqlite3_exec(db, "DELETE FROM BaseGroup", nullptr, nullptr, nullptr), db);
    copyTable(mdb, db, "BaseGroup", "INSERT INTO BaseGroup (GroupNo, GroupName) VALUES (?, ?)", 2);
    copyTable(mdb, db, "address",
              "INSERT INTO address (Address, AddressName, Times, ViewTime, GroupNo, MyAddress) "
              "VALUES (?, ?, ?, ?, ?, ?)",
              6);
    copyTable(mdb, db, "Search", "INSERT INTO Search (SearchText, Searchdate, Sort_No) VALUES (?, ?, ?)", 3);
    for (const QString &statement : std::as_const(indexes))
        check(sqlite3_exec(db, statement.toUtf8().constData(), nullptr, nullptr, nullptr), db);
    check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db);
    sqlite3_close(db);
    mdb_close(mdb);
    return 0;
}

int runConversion(const QString &jetFile, const QString &folder)
{
    const QString target = folder + QStringLiteral("/address.mdb");
    if (!QFile::copy(jetFile, target))
        return 1;
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
    QElapsedTimer timer;
    timer.start();
    try {
        JetConversion::convertInPlace(target);
    } catch (const AppError &error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.message()));
        return 1;
    }
    std::printf("conversion itself: %lld ms\n", timer.elapsed());
    return 0;
}

double timedRun(const QStringList &arguments)
{
    QElapsedTimer timer;
    timer.start();
    QProcess run;
    run.setProcessChannelMode(QProcess::ForwardedChannels);
    run.start(QCoreApplication::applicationFilePath(), arguments);
    run.waitForFinished(-1);
    return run.exitCode() == 0 ? double(timer.nsecsElapsed()) / 1e6 : -1;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    QTemporaryDir folder;
    if (args.size() == 2 && args[0] == QLatin1String("floor"))
        return runFloor(args[1], folder.path() + QStringLiteral("/floor.sqlite"));
    if (args.size() == 2 && args[0] == QLatin1String("convert"))
        return runConversion(args[1], folder.path());

    QString bulk = qEnvironmentVariable("JET_BULK_FILE");
    if (bulk.isEmpty())
        bulk = QStringLiteral(VESTRANE_SOURCE_DIR "/../shared/fixtures/jet/bulk100k.mdb");
    if (!QFile::exists(bulk)) {
        std::fprintf(stderr, "no bulk file: set JET_BULK_FILE\n");
        return 1;
    }
    for (int round = 0; round < 3; ++round) {
        const double floorMs = timedRun({QStringLiteral("floor"), bulk});
        const double convertMs = timedRun({QStringLiteral("convert"), bulk});
        std::printf("floor %.0f ms, conversion %.0f ms, ratio %.2f\n", floorMs, convertMs, convertMs / floorMs);
    }
    return 0;
}
