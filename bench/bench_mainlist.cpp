// Speed of the main window's address list at 1,000, 10,000 and 100,000 addresses in 20
// groups, offscreen: filling the list for the root node, a header sort of each column, the
// first paint, and the repaint after scrolling one page; realistic data first, then the
// earlier data (see BenchData.h). The floor of the fill is stepping through the same rows
// with the SQLite C API (the tables joined directly) into a vector of strings.
//
// The same on a PostgreSQL server of the benchmark's own (started with the tests' script
// in a temporary folder, on a Unix socket, or the server VESTRANE_TEST_POSTGRES names): the
// library is copied there from the seeded file. There the floor of the fill is a COPY of
// the same rows through libpq into strings, and that of a search the plain LIKE statement
// over the folded columns through libpq, each on a connection that is open already, as the program's is.
// Arguments: row counts; --sqlite or --postgres measures one engine only.
#include "BenchData.h"

#include "controls/ReportRows.h"
#include "controls/TListView1.h"
#include "data/AddressStore.h"
#include "data/DataModule.h"
#include "data/DatabaseCopy.h"
#include "data/ServerAddress.h"
#include "data/SettingsStore.h"
#include "main/FrmMain.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <libpq-fe.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int Runs = 7;

// `prepare` runs before each timed run, outside the timing.
double medianMs(const std::function<void()> &work, int runs = Runs, const std::function<void()> &prepare = {})
{
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        if (prepare)
            prepare();
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

const char *const listFloorStatement = "SELECT a.Address, a.AddressName, a.ViewTime, a.Times, a.MyAddress, "
                                       "g.GroupName FROM address a LEFT JOIN BaseGroup g ON g.GroupNo = a.GroupNo";
const char *const listStatement = "SELECT Address, AddressName, ViewTime, Times, MyAddress, GroupName FROM address_1";
// The floor of a search: SQLite's own LIKE over the stored texts, which returns the same
// rows for these texts (their letters are ASCII where they differ in case).
const std::string searchFloorStatement =
    std::string(listFloorStatement) + " WHERE a.Address LIKE ? OR a.AddressName LIKE ?";

// The floor: the same statement's rows as strings, nothing else.
double floorMs(const QString &file, const std::string &statement = listStatement, const std::string &text = {})
{
    return medianMs([&] {
        sqlite3 *db = nullptr;
        sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt *query = nullptr;
        sqlite3_prepare_v2(db, statement.c_str(), -1, &query, nullptr);
        if (sqlite3_bind_parameter_count(query) == 2) {
            sqlite3_bind_text(query, 1, text.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(query, 2, text.c_str(), -1, SQLITE_TRANSIENT);
        }
        const std::vector<std::string> texts = BenchData::stepTexts(query, 6);
        sqlite3_finalize(query);
        sqlite3_close(db);
    });
}

// The same rows found by a plain LIKE, stepped into strings with the C API on a
// connection that is already open, as the program's is.
double searchFloorMs(const QString &file, const std::string &pattern)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    const double ms = medianMs([&] {
        sqlite3_stmt *query = nullptr;
        sqlite3_prepare_v2(db, searchFloorStatement.c_str(), -1, &query, nullptr);
        sqlite3_bind_text(query, 1, pattern.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(query, 2, pattern.c_str(), -1, SQLITE_TRANSIENT);
        const std::vector<std::string> texts = BenchData::stepTexts(query, 6);
        sqlite3_finalize(query);
    }, 21);
    sqlite3_close(db);
    return ms;
}

// A search as the user starts it (the list, the count and the history insert), and the
// rows alone, against the floor: the same rows found by a plain LIKE and stepped with
// the C API. "store only" is the data layer's part: the search statement read into records.
void measureSearch(TFrmMain &window, const std::function<double(const std::string &pattern)> &floorOf,
                   const QString &text, const char *label)
{
    constexpr int searchRuns = 21; // short runs: more of them steady the median
    const double search = medianMs([&] { window.P_Search(text); }, searchRuns);
    const double searchOnly = medianMs([&] { window.P_AddRows(AddressFilter::search(text)); }, searchRuns);
    DbConnection store(QStringLiteral("bench"));
    configureConnection(store);
    const double storeOnly = medianMs([&] {
        AddressStore::forEach(store, AddressFilter::search(text), [](AddressRecord &&) {});
    }, searchRuns);
    const std::string pattern = "%" + text.toStdString() + "%";
    const double floor = floorOf(pattern);
    std::printf("          search %-9s: %s | command %7.1f ms, rows only %7.1f ms, store only %7.1f ms "
                "(floor %7.1f ms: %.2fx / %.2fx / %.2fx)\n",
                label, qPrintable(window.statusPanelText(2)), search, searchOnly, storeOnly, floor, search / floor,
                searchOnly / floor, storeOnly / floor);
}

void measure(int count, const QString &folder, BenchData::Kind kind)
{
    QDir().mkpath(folder);
    SettingsStore::setPath(folder);
    TDm1 dm1;
    dm1.init();
    dm1.connection().query(QStringLiteral("SELECT count(*) FROM BaseGroup")); // creates the file
    dm1.connection().close();
    BenchData::seed(folder + QStringLiteral("/address.mdb"), count, kind);

    TFrmMain window(dm1);
    window.show();
    QApplication::processEvents();
    auto *list = window.findChild<TListView1 *>(QStringLiteral("ListView1"));

    const double fill = medianMs([&] { window.P_FillList(); });
    const double floor = floorMs(folder + QStringLiteral("/address.mdb"), listFloorStatement);
    // Each sort starts from freshly filled rows, as after a tree click.
    const auto refill = [&] { window.P_FillList(); };
    std::vector<double> sorts;
    for (int column = 0; column < 5; ++column)
        sorts.push_back(medianMs([&] { list->SortByColumn(column); }, Runs, refill));
    const double firstPaint = medianMs([&] { list->viewport()->repaint(); }, Runs, refill);
    QScrollBar *bar = list->verticalScrollBar();
    bar->setValue(0);
    list->viewport()->repaint();
    const double scroll = medianMs([&] {
        bar->setValue(bar->value() + bar->pageStep());
        list->viewport()->repaint();
    }, 21);

    std::printf("%7d %-9s: fill %8.1f ms (floor %7.1f ms, %.2fx) | sort", list->reportRows()->count(), BenchData::kindName(kind), fill, floor,
                fill / floor);
    for (double sort : sorts)
        std::printf(" %6.1f", sort);
    std::printf(" ms | first paint %5.1f ms | page scroll %5.2f ms | panel \"%s\"\n", firstPaint, scroll,
                qPrintable(window.statusPanelText(2)));
    // About 1% of the rows: on realistic rows, addresses in ".edu.cn" whose path starts
    // with "list" (1/8 x 1/16), typed in capitals so that the case is folded.
    const QString onePercent = kind == BenchData::Kind::Realistic ? QStringLiteral("EDU.CN/LIST")
                                                                  : QStringLiteral("/PATH/7/");
    const QString file = folder + QStringLiteral("/address.mdb");
    const auto searchFloor = [&file](const std::string &pattern) { return searchFloorMs(file, pattern); };
    measureSearch(window, searchFloor, onePercent, "about 1%");
    measureSearch(window, searchFloor, QStringLiteral("no such text"), "none");
    std::fflush(stdout);
}

// A PostgreSQL server for the benchmark: the one VESTRANE_TEST_POSTGRES names, or one of
// its own, started with the tests' script and stopped at the end.
class BenchServer
{
public:
    BenchServer()
    {
        m_uri = qEnvironmentVariable("VESTRANE_TEST_POSTGRES");
        if (!m_uri.isEmpty())
            return;
        m_folder = QStringLiteral("/tmp/vestrane-bench-pg-%1").arg(QCoreApplication::applicationPid());
        const QString port = QStringLiteral("55%1").arg(QCoreApplication::applicationPid() % 400 + 500);
        if (std::system(qPrintable(QStringLiteral("bash %1 start %2 %3 >/dev/null")
                                       .arg(QStringLiteral(VESTRANE_POSTGRES_SCRIPT), m_folder, port)))
            != 0) {
            std::fprintf(stderr, "cannot start a PostgreSQL server\n");
            std::exit(1);
        }
        m_uri = QStringLiteral("postgresql://postgres@/postgres?host=%1&port=%2").arg(m_folder, port);
    }
    ~BenchServer()
    {
        if (!m_folder.isEmpty())
            std::system(qPrintable(QStringLiteral("bash %1 stop %2").arg(QStringLiteral(VESTRANE_POSTGRES_SCRIPT), m_folder)));
    }

    // A new, empty database on the server; gives its URI.
    QString createDatabase(const QString &name) const
    {
        const ServerAddress server = ServerAddress::parse(m_uri);
        {
            QSqlDatabase admin = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("bench-admin"));
            admin.setHostName(server.host);
            admin.setPort(server.port);
            admin.setUserName(server.user);
            admin.setDatabaseName(server.database);
            QSqlQuery query(admin);
            if (!admin.open() || !query.exec(QStringLiteral("DROP DATABASE IF EXISTS %1").arg(name))
                || !query.exec(QStringLiteral("CREATE DATABASE %1").arg(name))) {
                std::fprintf(stderr, "cannot create database %s\n", qPrintable(name));
                std::exit(1);
            }
        }
        QSqlDatabase::removeDatabase(QStringLiteral("bench-admin"));
        return server.toUri(name);
    }

private:
    QString m_uri;
    QString m_folder;
};

// libpq's own connection to the benchmark's database, for the floors.
PGconn *connectDirectly(const QString &uri)
{
    const ServerAddress server = ServerAddress::parse(uri);
    const QByteArray conninfo = QStringLiteral("host='%1' port=%2 user='%3' dbname='%4'")
                                    .arg(server.host)
                                    .arg(server.port)
                                    .arg(server.user, server.database)
                                    .toUtf8();
    PGconn *connection = PQconnectdb(conninfo.constData());
    if (PQstatus(connection) != CONNECTION_OK) {
        std::fprintf(stderr, "libpq: %s\n", PQerrorMessage(connection));
        std::exit(1);
    }
    return connection;
}

// COPY of the listed rows, every row split into its texts.
double copyFloorMs(PGconn *connection)
{
    const std::string copy = std::string("COPY (") + listFloorStatement + ") TO STDOUT";
    return medianMs([&] {
        PGresult *started = PQexec(connection, copy.c_str());
        PQclear(started);
        std::vector<std::string> texts;
        char *line = nullptr;
        int length = 0;
        while ((length = PQgetCopyData(connection, &line, 0)) > 0) {
            const char *field = line;
            for (const char *at = line; at < line + length; ++at) {
                if (*at == '\t' || *at == '\n') {
                    texts.emplace_back(field, at);
                    field = at + 1;
                }
            }
            PQfreemem(line);
        }
        PQclear(PQgetResult(connection));
    });
}

// The plain statement that finds the same rows: LIKE over the folded copies of the texts
// with the folded pattern bound (faster than ILIKE over the texts themselves), the rows'
// texts read into strings.
double likeFloorMs(PGconn *connection, const std::string &pattern)
{
    const std::string statement =
        std::string(listFloorStatement) + " WHERE a.AddressFolded LIKE $1 OR a.AddressNameFolded LIKE $1";
    const std::string folded = QString::fromStdString(pattern).toCaseFolded().toStdString();
    return medianMs([&] {
        const char *values[] = {folded.c_str()};
        PGresult *result = PQexecParams(connection, statement.c_str(), 1, nullptr, values, nullptr, nullptr, 0);
        std::vector<std::string> texts;
        const int rows = PQntuples(result);
        for (int row = 0; row < rows; ++row) {
            for (int column = 0; column < 6; ++column)
                texts.emplace_back(PQgetvalue(result, row, column));
        }
        PQclear(result);
    }, 21);
}

// The list and the search on the server, with realistic rows copied from a seeded file.
void measurePostgres(int count, const QString &folder, const BenchServer &server)
{
    const BenchData::Kind kind = BenchData::Kind::Realistic;
    QDir().mkpath(folder);
    SettingsStore::setDatabase(QString());
    SettingsStore::setPath(folder);
    {
        DbConnection file(QStringLiteral("bench-file"));
        configureConnection(file);
        file.query(QStringLiteral("SELECT count(*) FROM BaseGroup")); // creates the file
        file.close();
        BenchData::seed(folder + QStringLiteral("/address.mdb"), count, kind);
        const QString uri = server.createDatabase(QStringLiteral("vestrane_bench_%1").arg(count));
        DbConnection target(QStringLiteral("bench-server"));
        target.setDatabaseFile(uri);
        DatabaseCopy::copy(file, target);
        target.execute(QStringLiteral("ANALYZE"));
        SettingsStore::setDatabase(uri);
    }
    TDm1 dm1;
    dm1.init();
    TFrmMain window(dm1);
    window.show();
    QApplication::processEvents();
    auto *list = window.findChild<TListView1 *>(QStringLiteral("ListView1"));

    PGconn *direct = connectDirectly(SettingsStore::database());
    const double fill = medianMs([&] { window.P_FillList(); });
    // The data layer's part: the listing read into records.
    const double storeOnly = medianMs([&] {
        AddressStore::forEach(dm1.connection(), AddressFilter::all(), [](AddressRecord &&) {});
    });
    const double floor = copyFloorMs(direct);
    std::printf("%7d %-9s: fill %8.1f ms, store only %7.1f ms (COPY floor %7.1f ms, %.2fx / %.2fx) | panel \"%s\"\n",
                list->reportRows()->count(), "postgres", fill, storeOnly, floor, fill / floor, storeOnly / floor,
                qPrintable(window.statusPanelText(2)));
    const auto searchFloor = [direct](const std::string &pattern) { return likeFloorMs(direct, pattern); };
    measureSearch(window, searchFloor, QStringLiteral("EDU.CN/LIST"), "about 1%");
    measureSearch(window, searchFloor, QStringLiteral("no such text"), "none");
    PQfinish(direct);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir home;
    BenchData::useOwnHome(home.path());
    QApplication app(argc, argv);
    // The user's locale: Chinese, whose collator orders the address column.
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    std::printf("median of %d runs; sorts are columns 0..4\n", Runs);
    // Arguments, when given, are the row counts to measure (for profiling one size).
    std::vector<int> counts;
    bool sqlite = true;
    bool postgres = true;
    for (int i = 1; i < argc; ++i) {
        if (qstrcmp(argv[i], "--sqlite") == 0)
            postgres = false;
        else if (qstrcmp(argv[i], "--postgres") == 0)
            sqlite = false;
        else
            counts.push_back(std::atoi(argv[i]));
    }
    if (counts.empty())
        counts = {1000, 10000, 100000};
    if (sqlite) {
        for (BenchData::Kind kind : {BenchData::Kind::Realistic, BenchData::Kind::Legacy}) {
            for (int count : counts)
                measure(count, home.path() + QStringLiteral("/%1-%2").arg(BenchData::kindName(kind)).arg(count), kind);
        }
    }
    if (postgres) {
        const BenchServer server;
        for (int count : counts)
            measurePostgres(count, home.path() + QStringLiteral("/postgres-%1").arg(count), server);
    }
    return 0;
}
