// Speed of the main window's paged address list, offscreen, at 100,000 and 1,000,000
// realistic rows (BenchData.h) in 20 groups, or at the row counts given as arguments:
//   fill        the root listed (count, first page) and painted
//   group       a click on one group (about a twentieth of the rows), painted
//   to end      the scroll bar dragged to its end, painted; back: to the start again
//   sort c      the first header sort of column c after a fill, painted
//   search      a search of "EDU.CN/LIST" (about 1% of the rows) to its first screen;
//               counted: until every row it finds is counted as well
// each a fresh fill apart, so that no page is at hand before it. With --postgres the same
// runs on a PostgreSQL server of the benchmark's own (the tests' script, a Unix socket; or
// the server VESTRANE_TEST_POSTGRES names), the library copied there from the seeded file.
//
// The floors are a plain C++ program's reads (no Qt) over a plain SQLite file of the same
// generated rows: the columns the list shows and nothing else (no folded copies, no search
// index), an index on the group number only. Fill: count(*) and the first 60 rows; group:
// the same for one group; to end: the last 60 rows; sort: every text of the column read
// and sorted by its bytes; search: the first 60 rows whose address or name LIKE the text.
// Program and floor run alternately, run by run; each figure is the median of the runs
// with their minimum and maximum.
#include "BenchData.h"
#include "BenchServer.h"

#include "controls/ReportRows.h"
#include "controls/AddressListView.h"
#include "data/SharedConnection.h"
#include "data/DatabaseCopy.h"
#include "data/SettingsStore.h"
#include "main/AddressListModel.h"
#include "main/MainWindow.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int Runs = 7;
constexpr int FirstScreen = 60;

double msOf(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e6;
}

struct Spread
{
    std::vector<double> times;
    void add(double ms) { times.push_back(ms); }
    double median() const
    {
        std::vector<double> sorted = times;
        std::sort(sorted.begin(), sorted.end());
        return sorted.empty() ? 0 : sorted[sorted.size() / 2];
    }
    std::string text() const
    {
        if (times.empty())
            return "-";
        char buffer[96];
        std::snprintf(buffer, sizeof buffer, "%8.1f [%.1f-%.1f]", median(),
                      *std::min_element(times.begin(), times.end()), *std::max_element(times.begin(), times.end()));
        return buffer;
    }
};

// The plain file: the generator's rows in tables of the listed columns only.
void makePlainFile(const std::string &file, int count)
{
    std::remove(file.c_str());
    sqlite3 *db = nullptr;
    sqlite3_open(file.c_str(), &db);
    sqlite3_exec(db,
                 "CREATE TABLE BaseGroup (GroupNo INTEGER, GroupName TEXT);"
                 "CREATE TABLE address (Address TEXT, AddressName TEXT, Times INTEGER, ViewTime TEXT, GroupNo INTEGER, "
                 "MyAddress INTEGER); BEGIN",
                 nullptr, nullptr, nullptr);
    sqlite3_stmt *group = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO BaseGroup VALUES (?, ?)", -1, &group, nullptr);
    const std::vector<std::string> names = BenchData::groupNames();
    for (size_t i = 0; i < names.size(); ++i) {
        sqlite3_bind_int(group, 1, int(i) + 1);
        sqlite3_bind_text(group, 2, names[i].c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_step(group);
        sqlite3_reset(group);
    }
    sqlite3_finalize(group);
    sqlite3_stmt *insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO address VALUES (?, ?, ?, ?, ?, ?)", -1, &insert, nullptr);
    for (int i = 0; i < count; ++i) {
        const BenchData::Row row = BenchData::row(BenchData::Kind::Realistic, i, count);
        sqlite3_bind_text(insert, 1, row.address.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 2, row.name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(insert, 3, row.times);
        sqlite3_bind_text(insert, 4, row.viewTime.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(insert, 5, row.groupNo);
        sqlite3_bind_int(insert, 6, row.favourite ? 1 : 0);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT; CREATE INDEX address_group ON address(GroupNo)", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

// The floor's reads, on a connection that is open already, as the program's is.
class PlainReader
{
public:
    explicit PlainReader(const std::string &file)
    {
        sqlite3_open_v2(file.c_str(), &m_db, SQLITE_OPEN_READONLY, nullptr);
    }
    ~PlainReader() { sqlite3_close(m_db); }

    std::vector<std::string> read(const char *sql, const std::string &bound = {}, int columns = 6)
    {
        sqlite3_stmt *query = nullptr;
        sqlite3_prepare_v2(m_db, sql, -1, &query, nullptr);
        for (int i = 1; i <= sqlite3_bind_parameter_count(query); ++i)
            sqlite3_bind_text(query, i, bound.c_str(), -1, SQLITE_TRANSIENT);
        std::vector<std::string> texts = BenchData::stepTexts(query, columns);
        sqlite3_finalize(query);
        return texts;
    }

    void firstScreen(const std::string &where = {}, const std::string &bound = {})
    {
        read(("SELECT count(*) FROM address a" + where).c_str(), bound, 1);
        read((listed + where + " LIMIT " + std::to_string(FirstScreen)).c_str(), bound);
    }
    void lastScreen() { read((listed + " ORDER BY a.rowid DESC LIMIT " + std::to_string(FirstScreen)).c_str()); }
    void sortColumn(const char *column)
    {
        std::vector<std::string> texts = read((std::string("SELECT ") + column + " FROM address").c_str(), {}, 1);
        std::stable_sort(texts.begin(), texts.end());
    }

private:
    sqlite3 *m_db = nullptr;
    const std::string listed = "SELECT a.Address, a.AddressName, a.ViewTime, a.Times, a.MyAddress, g.GroupName "
                               "FROM address a LEFT JOIN BaseGroup g ON g.GroupNo = a.GroupNo";
};

long residentKb(const char *field)
{
    FILE *status = std::fopen("/proc/self/status", "r");
    char line[256];
    long kb = 0;
    while (status && std::fgets(line, sizeof line, status)) {
        if (std::strncmp(line, field, std::strlen(field)) == 0)
            kb = std::atol(line + std::strlen(field));
    }
    if (status)
        std::fclose(status);
    return kb;
}

// The program's part of each measure, with the floor's beside it where there is one.
void measureWindow(MainWindow &window, PlainReader *floor, const char *label)
{
    auto *list = window.findChild<AddressListView *>(QStringLiteral("addressList"));
    const auto *rows = qobject_cast<const AddressListModel *>(list->reportRows());
    QScrollBar *bar = list->verticalScrollBar();
    const auto paint = [&] { list->viewport()->repaint(); };
    const auto fill = [&] {
        window.setCurrentGroup(GroupTreePane::rootLabel());
        window.fillList();
        paint();
    };
    const QString group = QString::fromStdString(BenchData::groupNames().at(3));
    const std::string groupWhere = " WHERE a.GroupNo = 4";
    const char *sortColumns[] = {"Address", "AddressName", "ViewTime", "Times", "GroupNo"};
    Spread fills, fillFloors, groups, groupFloors, toEnd, toEndFloors, back, searches, searchFloors, counted;
    Spread sorts[5], sortFloors[5];
    for (int run = 0; run < Runs; ++run) {
        fills.add(msOf(fill));
        if (floor)
            fillFloors.add(msOf([&] { floor->firstScreen(); }));
        groups.add(msOf([&] {
            window.setCurrentGroup(group);
            window.fillList();
            paint();
        }));
        if (floor)
            groupFloors.add(msOf([&] { floor->firstScreen(groupWhere); }));
        fill();
        toEnd.add(msOf([&] {
            bar->setValue(bar->maximum());
            paint();
        }));
        if (floor)
            toEndFloors.add(msOf([&] { floor->lastScreen(); }));
        back.add(msOf([&] {
            bar->setValue(0);
            paint();
        }));
        for (int column = 0; column < 5; ++column) {
            fill();
            sorts[column].add(msOf([&] {
                list->SortByColumn(column);
                paint();
            }));
            if (floor)
                sortFloors[column].add(msOf([&] { floor->sortColumn(sortColumns[column]); }));
        }
        QElapsedTimer searchTimer;
        searchTimer.start();
        window.runSearch(QStringLiteral("EDU.CN/LIST"));
        paint();
        searches.add(searchTimer.nsecsElapsed() / 1e6);
        while (!rows->allRowsFound())
            QCoreApplication::processEvents();
        counted.add(searchTimer.nsecsElapsed() / 1e6);
        if (floor)
            searchFloors.add(msOf(
                [&] { floor->firstScreen(" WHERE a.Address LIKE ?1 OR a.AddressName LIKE ?1", "%edu.cn/list%"); }));
    }
    std::printf("%s: %d rows listed, resident %ld MB now, peak %ld MB\n", label, list->reportRows()->count(),
                residentKb("VmRSS:") / 1024, residentKb("VmHWM:") / 1024);
    std::printf("  %-10s program %-26s floor %s\n", "fill", fills.text().c_str(), fillFloors.text().c_str());
    std::printf("  %-10s program %-26s floor %s\n", "group", groups.text().c_str(), groupFloors.text().c_str());
    std::printf("  %-10s program %-26s floor %s\n", "to end", toEnd.text().c_str(), toEndFloors.text().c_str());
    std::printf("  %-10s program %s\n", "back", back.text().c_str());
    for (int column = 0; column < 5; ++column)
        std::printf("  sort %-5d program %-26s floor %s\n", column, sorts[column].text().c_str(),
                    sortFloors[column].text().c_str());
    std::printf("  %-10s program %-26s floor %s (%s)\n", "search", searches.text().c_str(), searchFloors.text().c_str(),
                qPrintable(window.statusPanelText(2)));
    std::printf("  %-10s program %s\n", "counted", counted.text().c_str());
    std::fflush(stdout);
}

void seedLibrary(const QString &folder, int count)
{
    QDir().mkpath(folder);
    SettingsStore::setDatabase(QString());
    SettingsStore::setPath(folder);
    DbConnection file(QStringLiteral("bench-file"));
    configureConnection(file);
    file.query(QStringLiteral("SELECT count(*) FROM BaseGroup")); // creates the file
    file.close();
    BenchData::seed(folder + QStringLiteral("/address.mdb"), count, BenchData::Kind::Realistic);
}

void measureFile(int count, const QString &folder)
{
    seedLibrary(folder, count);
    const std::string plain = (folder + QStringLiteral("/plain.sqlite")).toStdString();
    makePlainFile(plain, count);
    PlainReader floor(plain);
    SharedConnection sharedConnection;
    sharedConnection.init();
    MainWindow window(sharedConnection);
    window.show();
    QApplication::processEvents();
    measureWindow(window, &floor, qPrintable(QStringLiteral("%1 file").arg(count)));
}

void measurePostgres(int count, const QString &folder, const BenchServer &server)
{
    seedLibrary(folder, count);
    {
        DbConnection file(QStringLiteral("bench-file"));
        configureConnection(file);
        const QString uri = server.createDatabase(QStringLiteral("vestrane_bench_%1").arg(count));
        DbConnection target(QStringLiteral("bench-server"));
        target.setDatabaseFile(uri);
        DatabaseCopy::copy(file, target);
        target.execute(QStringLiteral("ANALYZE"));
        SettingsStore::setDatabase(uri);
    }
    SharedConnection sharedConnection;
    sharedConnection.init();
    MainWindow window(sharedConnection);
    window.show();
    QApplication::processEvents();
    measureWindow(window, nullptr, qPrintable(QStringLiteral("%1 postgres").arg(count)));
}

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir home;
    BenchData::useOwnHome(home.path());
    QApplication app(argc, argv);
    // The user's locale: Chinese, whose collator orders the address column.
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    std::printf("median [min-max] of %d runs, ms; program and floor alternate run by run\n", Runs);
    std::vector<int> counts;
    bool file = true;
    bool postgres = false;
    for (int i = 1; i < argc; ++i) {
        if (qstrcmp(argv[i], "--postgres") == 0) {
            postgres = true;
            file = false;
        } else {
            counts.push_back(std::atoi(argv[i]));
        }
    }
    if (counts.empty())
        counts = {100000, 1000000};
    if (file) {
        for (int count : counts)
            measureFile(count, home.path() + QStringLiteral("/file-%1").arg(count));
    }
    if (postgres) {
        const BenchServer server;
        for (int count : counts)
            measurePostgres(count, home.path() + QStringLiteral("/postgres-%1").arg(count), server);
    }
    return 0;
}
