// Speed of deleting a group and undoing it, and the memory a long history holds.
//
// At 100,000 realistic rows (SQLite), one group holding 20,000 of them spread over the
// table:
//   delete: HistoryCommands::removeGroup (recorded, rows into the recycle bin)
//           vs the plain delete: the two DELETE statements through the sqlite3 C API;
//           the same command without a history is printed beside them
//   restore: the deleted rows, all chosen in the bin, restored (a recorded step)
//   undo:   HistoryCommands::undo
//           vs the floor: the 20,000 rows inserted again with their keys through the
//           sqlite3 C API in one transaction (prepared once)
// Each figure is the median of several runs on a fresh copy of the seeded file (min-max
// beside it), each delete after the group's rows were read once, as the plain delete reads
// them to insert them again. Targets:
// each ratio at most 2. Then the history's size after 1,000 ordinary steps (adds, changes,
// favourites, deletes): target under 20 MB.
//
// With --postgres the same runs on a PostgreSQL server (BenchServer.h), the library copied
// there from the seeded file and each run on a fresh copy of that database; the plain
// delete and the re-insert go through libpq (one prepared statement, one call a row).

#include "BenchData.h"
#include "BenchServer.h"

#include "data/DatabaseCopy.h"
#include "data/SharedConnection.h"
#include "data/GroupStore.h"
#include "data/RecycleBin.h"
#include "data/SettingsStore.h"
#include "services/HistoryCommands.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <libpq-fe.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr int Runs = 7;
constexpr int Count = 100000;
constexpr int GroupSize = 20000;

void exec(sqlite3 *db, const char *sql)
{
    char *error = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        std::fprintf(stderr, "%s: %s\n", sql, error);
        std::exit(1);
    }
}

sqlite3 *openFile(const QString &file)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(file));
        std::exit(1);
    }
    return db;
}

// The process's resident memory in MB, as the kernel counts it.
double residentMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return 0;
}

double median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// "median ms (min-max)"
std::string spread(const std::vector<double> &times)
{
    const auto [low, high] = std::minmax_element(times.begin(), times.end());
    char text[64];
    std::snprintf(text, sizeof text, "%.1f ms (%.1f-%.1f)", median(times), *low, *high);
    return text;
}

double timedMs(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}

struct Saved
{
    std::vector<std::string> texts; // Address, AddressName, ViewTime, folded pair
    sqlite3_int64 rowNo;
    int times;
    int favourite;
};

// The group's rows as the floor inserts them again.
std::vector<Saved> groupRows(sqlite3 *db)
{
    std::vector<Saved> rows;
    sqlite3_stmt *query = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT Address, AddressName, ViewTime, AddressFolded, AddressNameFolded, RowNo, Times, "
                       "MyAddress FROM address WHERE GroupNo = 1",
                       -1, &query, nullptr);
    while (sqlite3_step(query) == SQLITE_ROW) {
        Saved row;
        for (int column = 0; column < 5; ++column) {
            const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(query, column));
            row.texts.emplace_back(text ? text : "");
        }
        row.rowNo = sqlite3_column_int64(query, 5);
        row.times = sqlite3_column_int(query, 6);
        row.favourite = sqlite3_column_int(query, 7);
        rows.push_back(std::move(row));
    }
    sqlite3_finalize(query);
    return rows;
}

void reinsert(sqlite3 *db, const std::vector<Saved> &rows)
{
    exec(db, "BEGIN IMMEDIATE");
    exec(db, "INSERT INTO BaseGroup (GroupNo, GroupName) VALUES (1, 'g1')");
    sqlite3_stmt *insert = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO address (RowNo, Address, AddressName, ViewTime, AddressFolded, "
                       "AddressNameFolded, Times, MyAddress, GroupNo) VALUES (?, ?, ?, ?, ?, ?, ?, ?, 1)",
                       -1, &insert, nullptr);
    for (const Saved &row : rows) {
        sqlite3_bind_int64(insert, 1, row.rowNo);
        for (int i = 0; i < 5; ++i)
            sqlite3_bind_text(insert, 2 + i, row.texts[size_t(i)].c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_int(insert, 7, row.times);
        sqlite3_bind_int(insert, 8, row.favourite);
        if (sqlite3_step(insert) != SQLITE_DONE) {
            std::fprintf(stderr, "insert: %s\n", sqlite3_errmsg(db));
            std::exit(1);
        }
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    exec(db, "COMMIT");
}

// The plain delete and the floor's re-insert, timed on a fresh library.
struct PlainTimes
{
    double deleteMs = 0;
    double reinsertMs = 0;
};

// Where the runs' libraries live: `fresh` puts a new copy of the seeded library where the
// settings point, `plain` times the plain statements on it, `warm` reads the group's rows
// as `plain` does before its clock starts, so that every delete finds them in the caches.
struct Library
{
    std::function<void()> fresh;
    std::function<PlainTimes()> plain;
    std::function<void()> warm;
};

PlainTimes plainOnFile(const QString &file)
{
    sqlite3 *db = openFile(file);
    const std::vector<Saved> rows = groupRows(db);
    if (rows.size() != size_t(GroupSize)) {
        std::fprintf(stderr, "group holds %zu rows\n", rows.size());
        std::exit(1);
    }
    PlainTimes times;
    times.deleteMs = timedMs([&] {
        exec(db, "BEGIN IMMEDIATE");
        exec(db, "DELETE FROM address WHERE GroupNo = 1");
        exec(db, "DELETE FROM BaseGroup WHERE GroupNo = 1");
        exec(db, "COMMIT");
    });
    times.reinsertMs = timedMs([&] { reinsert(db, rows); });
    sqlite3_close(db);
    return times;
}

// The seeded file's library, with group 1 holding every fifth row; gives its file.
QString seedFile(const QString &home)
{
    const QString folder = home + QStringLiteral("/library");
    QDir().mkpath(folder);
    SettingsStore::setPath(folder);
    const QString file = folder + QStringLiteral("/address.mdb");
    {
        SharedConnection sharedConnection;
        sharedConnection.init();
        sharedConnection.connection().query(QStringLiteral("SELECT count(*) FROM BaseGroup")); // creates the file
    }
    BenchData::seed(file, Count, BenchData::Kind::Realistic);
    sqlite3 *db = openFile(file);
    // Every fifth row into group 1: 20,000 rows spread over the whole table.
    exec(db, "UPDATE address SET GroupNo = CASE WHEN RowNo % 5 = 0 THEN 1 ELSE 2 + RowNo % 19 END");
    exec(db, "PRAGMA wal_checkpoint(TRUNCATE)");
    sqlite3_close(db);
    return file;
}

Library fileLibrary(const QString &file, const QString &seeded)
{
    QFile::copy(file, seeded);
    const auto fresh = [file, seeded] {
        for (const char *suffix : {"", "-wal", "-shm"})
            QFile::remove(file + QLatin1String(suffix));
        QFile::copy(seeded, file);
    };
    const auto warm = [file] {
        sqlite3 *db = openFile(file);
        groupRows(db);
        sqlite3_close(db);
    };
    return {fresh, [file] { return plainOnFile(file); }, warm};
}

PGresult *run(PGconn *db, const char *sql)
{
    PGresult *result = PQexec(db, sql);
    const ExecStatusType status = PQresultStatus(result);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
        std::fprintf(stderr, "%s: %s\n", sql, PQerrorMessage(db));
        std::exit(1);
    }
    return result;
}

PGconn *connect(const QByteArray &target)
{
    PGconn *db = PQconnectdb(target.constData());
    if (PQstatus(db) != CONNECTION_OK) {
        std::fprintf(stderr, "cannot connect: %s\n", PQerrorMessage(db));
        std::exit(1);
    }
    return db;
}

PGresult *serverGroupRows(PGconn *db)
{
    return run(db,
               "SELECT RowNo, Address, AddressName, ViewTime, AddressFolded, AddressNameFolded, Times, "
               "MyAddress FROM address WHERE GroupNo = 1");
}

PlainTimes plainOnServer(const QByteArray &target)
{
    PGconn *db = connect(target);
    PGresult *rows = serverGroupRows(db);
    if (PQntuples(rows) != GroupSize) {
        std::fprintf(stderr, "group holds %d rows\n", PQntuples(rows));
        std::exit(1);
    }
    PlainTimes times;
    times.deleteMs = timedMs([&] {
        for (const char *sql :
             {"BEGIN", "DELETE FROM address WHERE GroupNo = 1", "DELETE FROM BaseGroup WHERE GroupNo = 1", "COMMIT"})
            PQclear(run(db, sql));
    });
    times.reinsertMs = timedMs([&] {
        PQclear(run(db, "BEGIN"));
        PQclear(run(db, "INSERT INTO BaseGroup (GroupNo, GroupName) VALUES (1, 'g1')"));
        PQclear(PQprepare(db, "insert",
                          "INSERT INTO address (RowNo, Address, AddressName, ViewTime, AddressFolded, "
                          "AddressNameFolded, Times, MyAddress, GroupNo) VALUES ($1, $2, $3, $4, $5, $6, $7, $8, 1)",
                          8, nullptr));
        for (int row = 0; row < PQntuples(rows); ++row) {
            const char *values[8];
            for (int column = 0; column < 8; ++column)
                values[column] = PQgetisnull(rows, row, column) ? nullptr : PQgetvalue(rows, row, column);
            PGresult *inserted = PQexecPrepared(db, "insert", 8, values, nullptr, nullptr, 0);
            if (PQresultStatus(inserted) != PGRES_COMMAND_OK) {
                std::fprintf(stderr, "insert: %s\n", PQerrorMessage(db));
                std::exit(1);
            }
            PQclear(inserted);
        }
        PQclear(run(db, "COMMIT"));
    });
    PQclear(rows);
    PQfinish(db);
    return times;
}

// The seeded file copied to a database of the server, which each run copies again.
Library serverLibrary(const QString &file, const BenchServer &server)
{
    const QString seed = QStringLiteral("vestrane_undo_seed");
    const QString copy = QStringLiteral("vestrane_undo_run");
    {
        DbConnection from(QStringLiteral("bench-file"));
        from.setDatabaseFile(file);
        DbConnection to(QStringLiteral("bench-server"));
        to.setDatabaseFile(server.createDatabase(seed));
        DatabaseCopy::copy(from, to);
        to.execute(QStringLiteral("ANALYZE"));
    }
    const auto fresh = [&server, seed, copy] { SettingsStore::setDatabase(server.createDatabase(copy, seed)); };
    const auto warm = [&server, copy] {
        PGconn *db = connect(server.libpqTarget(copy));
        PQclear(serverGroupRows(db));
        PQfinish(db);
    };
    return {fresh, [&server, copy] { return plainOnServer(server.libpqTarget(copy)); }, warm};
}

void measure(const Library &library, const char *engine)
{
    const QString groupName = QString::fromStdString(BenchData::groupNames().front());

    std::vector<double> plainDelete, commandDelete, recordedDelete, undo, floor, restore;
    for (int run = 0; run < Runs; ++run) {
        library.fresh();
        const PlainTimes times = library.plain();
        plainDelete.push_back(times.deleteMs);
        floor.push_back(times.reinsertMs);

        library.fresh();
        library.warm();
        {
            SharedConnection unrecorded;
            unrecorded.init();
            unrecorded.connection().query(QStringLiteral("SELECT 1"));
            commandDelete.push_back(timedMs([&] {
                if (!HistoryCommands::removeGroup(nullptr, unrecorded.connection(), groupName).ok())
                    std::exit(1);
            }));
        }

        library.fresh();
        library.warm();
        SharedConnection sharedConnection;
        sharedConnection.init();
        sharedConnection.connection().query(QStringLiteral("SELECT 1")); // opened before the clock starts
        recordedDelete.push_back(timedMs([&] {
            if (!HistoryCommands::removeGroup(&sharedConnection.history(), sharedConnection.connection(), groupName)
                     .ok())
                std::exit(1);
        }));
        undo.push_back(timedMs([&] {
            const Outcome undone = HistoryCommands::undo(sharedConnection.history(), sharedConnection.connection());
            if (!undone.ok()) {
                std::fprintf(stderr, "%s\n", qPrintable(undone.message));
                std::exit(1);
            }
        }));
        // Redone, the rows are in the bin again: all of them chosen there and restored.
        if (!HistoryCommands::redo(sharedConnection.history(), sharedConnection.connection()).ok())
            std::exit(1);
        QList<qint64> ids;
        for (const RecycleBin::Entry &entry : RecycleBin::list(sharedConnection.connection()))
            ids << entry.id;
        restore.push_back(timedMs([&] {
            if (HistoryCommands::restoreFromBin(&sharedConnection.history(), sharedConnection.connection(), ids).count
                != GroupSize)
                std::exit(1);
        }));
    }
    const double plain = median(plainDelete), recorded = median(recordedDelete), undone = median(undo),
                 reinserted = median(floor);
    std::printf("%s: delete of %d of %d rows: recorded %s, plain %s, ratio %.2f (target <= 2)\n", engine, GroupSize,
                Count, spread(recordedDelete).c_str(), spread(plainDelete).c_str(), recorded / plain);
    std::printf("  the same command unrecorded (rows into the bin, no step): %s; recorded/unrecorded %.2f\n",
                spread(commandDelete).c_str(), recorded / median(commandDelete));
    std::printf("undo: %s, C-API re-insert %s, ratio %.2f (target <= 2)\n", spread(undo).c_str(), spread(floor).c_str(),
                undone / reinserted);

    std::printf("restore of the %d rows from the bin, all chosen: %s\n", GroupSize, spread(restore).c_str());

    // 1,000 ordinary steps on the same library.
    library.fresh();
    SharedConnection sharedConnection;
    sharedConnection.init();
    DbConnection &db = sharedConnection.connection();
    const QStringList groups = GroupStore::groupNames(db);
    const double residentBefore = residentMb();
    for (int i = 0; i < 1000; ++i) {
        const QString address = QStringLiteral("www.example%1.com/路径/page.html").arg(i / 4);
        const QString group = groups.at(i / 4 % groups.size());
        switch (i % 4) {
        case 0:
            HistoryCommands::addAddress(&sharedConnection.history(), db,
                                        {address, QStringLiteral("网站 %1").arg(i), group});
            break;
        case 1: HistoryCommands::setFavourite(&sharedConnection.history(), db, address); break;
        case 2:
            HistoryCommands::changeAddress(&sharedConnection.history(), db,
                                           {address, QStringLiteral("改名 %1").arg(i), group}, address,
                                           QStringLiteral("网站 %1").arg(i - 2));
            break;
        default: HistoryCommands::removeAddress(&sharedConnection.history(), db, address, group); break;
        }
    }
    std::printf("history of %d steps: %.2f MB as the history counts it (target < 20 MB); the process grew "
                "%.1f MB meanwhile (the engine's cache included)\n",
                sharedConnection.history().undoCount(),
                double(sharedConnection.history().memoryUsed()) / (1024.0 * 1024.0), residentMb() - residentBefore);
}

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir home;
    BenchData::useOwnHome(home.path());
    QCoreApplication app(argc, argv);
    const bool postgres = argc > 1 && qstrcmp(argv[1], "--postgres") == 0;
    const QString file = seedFile(home.path());
    if (!postgres) {
        measure(fileLibrary(file, home.path() + QStringLiteral("/seeded.mdb")), "sqlite");
        return 0;
    }
    const BenchServer server;
    measure(serverLibrary(file, server), "postgres");
    return 0;
}
