// Speed of the bookmark import and export, each a whole process of the program beside a
// floor of the same work (see floor_import.cpp and floor_export.cpp), started in turn, run
// by run.
//
// The data: COUNT realistic rows of the benchmark generator (100,000 unless given), written
// as a plain Netscape bookmark file and a plain library, one folder or group per group.
// import:  `vestrane --import FILE` into an empty library
//     vs   floor_import FILE into a new plain file, the folded copies written too,
//     and  floor_import --indexed, which also keeps the indexes a library of the program
//          has, its trigram search index among them: the same work as the program's.
// export:  `vestrane --export OUT` of the library the import made
//     vs   floor_export from the plain library;
//     and, where buku is installed, `buku -e OUT` from a buku database of the same rows.
// Figures are the median (min-max) of 7 runs after a warm-up; the ratio is the median of
// the runs' own ratios.
// entities: a title of 1 MB of '&' closed by one ';' read by NetscapeReader
//     vs   a title of 1 MB of "&amp;" references, which are decoded (in this process).
// With --postgres the library is a database of a PostgreSQL server (BenchServer.h), made
// anew with its tables for each import; the floors stay the same.
// Targets: import at most 2 times its floor, export at most 1.3 times and below buku,
// entities at most 3.

#include "BenchData.h"
#include "BenchServer.h"

#include "bookmarks/NetscapeReader.h"
#include "data/DbConnection.h"
#include "data/SettingsStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int Runs = 7;

double medianMs(const std::function<void()> &work)
{
    std::vector<double> times;
    for (int run = 0; run < Runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    return BenchData::median(times);
}

BenchData::ProcessRun mustRun(const std::vector<std::string> &arguments)
{
    const BenchData::ProcessRun run = BenchData::runProcess(arguments);
    if (run.exitCode != 0) {
        std::fprintf(stderr, "%s ended with %d\n", arguments.front().c_str(), run.exitCode);
        std::exit(1);
    }
    return run;
}

long long countRows(const std::string &file, const char *table)
{
    sqlite3 *db = nullptr;
    sqlite3_stmt *query = nullptr;
    long long rows = -1;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK
        && sqlite3_prepare_v2(db, (std::string("SELECT count(*) FROM ") + table).c_str(), -1, &query, nullptr)
            == SQLITE_OK
        && sqlite3_step(query) == SQLITE_ROW)
        rows = sqlite3_column_int64(query, 0);
    sqlite3_finalize(query);
    sqlite3_close(db);
    return rows;
}

long long serverRows(const QString &uri)
{
    DbConnection db(QStringLiteral("bench-count"));
    db.setDatabaseFile(uri);
    QSqlQuery query = db.query(QStringLiteral("SELECT count(*) FROM address"));
    return query.next() ? query.value(0).toLongLong() : -1;
}

// A buku database of the same rows: the address (with a scheme, as buku keeps them), the
// name as its title and the group as its tag.
void writeBukuDatabase(const std::string &file, int count)
{
    std::remove(file.c_str());
    sqlite3 *db = nullptr;
    sqlite3_open(file.c_str(), &db);
    sqlite3_exec(db,
                 "CREATE TABLE bookmarks (id integer PRIMARY KEY, URL text NOT NULL UNIQUE, metadata text "
                 "default '', tags text default ',', desc text default '', flags integer default 0); BEGIN",
                 nullptr, nullptr, nullptr);
    sqlite3_stmt *insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT OR IGNORE INTO bookmarks (URL, metadata, tags) VALUES (?, ?, ?)", -1, &insert,
                       nullptr);
    const std::vector<std::string> groups = BenchData::groupNames();
    for (int i = 0; i < count; ++i) {
        const BenchData::Row r = BenchData::row(BenchData::Kind::Realistic, i, count);
        const std::string url = r.address.find("://") == std::string::npos ? "http://" + r.address : r.address;
        const std::string tags = "," + groups[size_t(r.groupNo - 1)] + ",";
        sqlite3_bind_text(insert, 1, url.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 2, r.name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 3, tags.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

std::string bukuExecutable()
{
    for (const char *candidate : {"/usr/bin/buku", "/usr/local/bin/buku"})
        if (::access(candidate, X_OK) == 0)
            return candidate;
    return {};
}

struct Pair
{
    std::vector<double> program, floor, ratio;
};

void printPair(const char *what, const Pair &pair, const char *floorName)
{
    std::printf("%-8s program %-24s %-13s %-24s ratio %.2f (%.2f-%.2f)\n", what,
                BenchData::spread(pair.program).c_str(), floorName, BenchData::spread(pair.floor).c_str(),
                BenchData::median(pair.ratio), *std::min_element(pair.ratio.begin(), pair.ratio.end()),
                *std::max_element(pair.ratio.begin(), pair.ratio.end()));
}

} // namespace

int main(int argc, char **argv)
{
    const bool postgres = argc > 1 && qstrcmp(argv[1], "--postgres") == 0;
    const int count = argc > 1 + int(postgres) ? std::atoi(argv[1 + int(postgres)]) : 100000;
    QTemporaryDir dir;
    BenchData::useOwnHome(dir.path());
    for (const char *name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
        QDir().mkpath(qEnvironmentVariable(name));
    QCoreApplication app(argc, argv);

    const std::string folder = dir.path().toStdString();
    const std::string html = folder + "/bookmarks.html", plain = folder + "/plain.mdb";
    BenchData::writeBookmarkFile(html, count);
    BenchData::writePlainLibrary(plain, count);
    const std::string library = qEnvironmentVariable("XDG_DATA_HOME").toStdString() + "/Kelvo/address.mdb";
    std::unique_ptr<BenchServer> server;
    const QString seed = QStringLiteral("vestrane_import_seed");
    if (postgres) {
        server = std::make_unique<BenchServer>();
        DbConnection tables(QStringLiteral("bench-seed"));
        tables.setDatabaseFile(server->createDatabase(seed));
        tables.open();
    }
    QString serverLibrary;
    const auto emptyLibrary = [&] {
        if (server) {
            serverLibrary = server->createDatabase(QStringLiteral("vestrane_import_run"), seed);
            SettingsStore::setDatabase(serverLibrary);
            return;
        }
        for (const char *suffix : {"", "-wal", "-shm"})
            std::remove((library + suffix).c_str());
    };
    std::printf("%d realistic rows; %d runs each, program and floor in turn; ms as median (min-max)\n", count, Runs);

    Pair import, importIndexed;
    for (int run = -1; run < Runs; ++run) { // run -1 warms the caches
        emptyLibrary();
        const double program = mustRun({VESTRANE_EXECUTABLE, "--import", html}).ms;
        const double floor = mustRun({FLOOR_IMPORT, html, folder + "/floor.mdb"}).ms;
        const double indexedFloor = mustRun({FLOOR_IMPORT, "--indexed", html, folder + "/indexed.mdb"}).ms;
        if (run < 0)
            continue;
        import.program.push_back(program);
        import.floor.push_back(floor);
        import.ratio.push_back(program / floor);
        importIndexed.program.push_back(program);
        importIndexed.floor.push_back(indexedFloor);
        importIndexed.ratio.push_back(program / indexedFloor);
    }
    printPair("import", import, "floor_import");
    printPair("import", importIndexed, "  --indexed");
    std::printf("         rows stored: program %lld, floor %lld\n",
                server ? serverRows(serverLibrary) : countRows(library, "address"),
                countRows(folder + "/floor.mdb", "address"));

    Pair exportPair;
    std::vector<double> buku, bukuRatio;
    const std::string bukuPath = bukuExecutable();
    if (!bukuPath.empty()) {
        const std::string bukuFolder = qEnvironmentVariable("XDG_DATA_HOME").toStdString() + "/buku";
        QDir().mkpath(QString::fromStdString(bukuFolder));
        writeBukuDatabase(bukuFolder + "/bookmarks.db", count);
    }
    for (int run = -1; run < Runs; ++run) {
        const double program = mustRun({VESTRANE_EXECUTABLE, "--export", folder + "/out.html"}).ms;
        const double floor = mustRun({FLOOR_EXPORT, plain, folder + "/floor.html"}).ms;
        double peer = 0;
        if (!bukuPath.empty()) {
            std::remove((folder + "/buku.html").c_str());
            peer = mustRun({bukuPath, "--nostdin", "--nc", "-e", folder + "/buku.html"}).ms;
        }
        if (run < 0)
            continue;
        exportPair.program.push_back(program);
        exportPair.floor.push_back(floor);
        exportPair.ratio.push_back(program / floor);
        if (peer > 0) {
            buku.push_back(peer);
            bukuRatio.push_back(program / peer);
        }
    }
    printPair("export", exportPair, "floor_export");
    if (!buku.empty())
        std::printf("         buku -e %s, program / buku %.2f\n", BenchData::spread(buku).c_str(),
                    BenchData::median(bukuRatio));

    const auto titled = [](const QByteArray &title) {
        return "<DL><DT><A HREF=\"https://a.example/\">" + title + "</A></DL>";
    };
    const QByteArray ampersands = titled(QByteArray(1 << 20, '&') + ';');
    const QByteArray references = titled(QByteArray("&amp;").repeated((1 << 20) / 5));
    const double ampersandMs = medianMs([&] { (void)NetscapeReader::read(ampersands, QStringLiteral("f")); });
    const double referencesMs = medianMs([&] { (void)NetscapeReader::read(references, QStringLiteral("f")); });
    std::printf("entities: 1 MB title of '&' %8.1f ms   of \"&amp;\" %8.1f ms   ratio %.2f (target <= 3)\n",
                ampersandMs, referencesMs, ampersandMs / referencesMs);
    return 0;
}
