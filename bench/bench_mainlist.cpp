// Speed of the main window's address list at 1,000, 10,000 and 100,000 addresses in 20
// groups, offscreen: filling the list for the root node, a header sort of each column, the
// first paint, and the repaint after scrolling one page. The floor is stepping through
// the same rows of address_1 with the SQLite C API into a vector of strings.
#include "controls/ListRowModel.h"
#include "controls/TListView1.h"
#include "data/AddressStore.h"
#include "data/DataModule.h"
#include "data/SettingsStore.h"
#include "main/FrmMain.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QSet>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int Runs = 7;
constexpr int Groups = 20;

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

void exec(sqlite3 *db, const char *sql)
{
    char *error = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        std::fprintf(stderr, "sqlite: %s\n", error);
        sqlite3_free(error);
        std::exit(1);
    }
}

// Rows look like real ones: Chinese names, varied lengths, a few favourites.
void seed(const QString &file, int count)
{
    sqlite3 *db = nullptr;
    sqlite3_open(file.toUtf8().constData(), &db);
    exec(db, "BEGIN");
    exec(db, "DELETE FROM BaseGroup");
    sqlite3_stmt *group = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO BaseGroup (GroupNo, GroupName) VALUES (?, ?)", -1, &group, nullptr);
    for (int g = 1; g <= Groups; ++g) {
        const std::string name = QStringLiteral("网址组别%1").arg(g).toStdString();
        sqlite3_bind_int(group, 1, g);
        sqlite3_bind_text(group, 2, name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_step(group);
        sqlite3_reset(group);
    }
    sqlite3_finalize(group);
    sqlite3_stmt *insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO address (Address, AddressName, Times, ViewTime, GroupNo, MyAddress) "
                           "VALUES (?, ?, ?, ?, ?, ?)", -1, &insert, nullptr);
    for (int i = 0; i < count; ++i) {
        const std::string address =
            QStringLiteral("www.site%1.example.com/path/%2/index.html").arg(i * 7919 % 1000003).arg(i % 97).toStdString();
        const std::string name = QStringLiteral("示例网站 %1 号 Example").arg(i).toStdString();
        const std::string day = QStringLiteral("2024-%1-%2").arg(1 + i % 12, 2, 10, QLatin1Char('0'))
                                    .arg(1 + i % 28, 2, 10, QLatin1Char('0')).toStdString();
        sqlite3_bind_text(insert, 1, address.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 2, name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(insert, 3, i * 31 % 500);
        sqlite3_bind_text(insert, 4, day.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(insert, 5, 1 + i % Groups);
        sqlite3_bind_int(insert, 6, i % 10 == 0 ? 1 : 0);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    exec(db, "COMMIT");
    sqlite3_close(db);
}

const char *const listStatement = "SELECT Address, AddressName, ViewTime, Times, MyAddress, GroupName FROM address_1";
// The floor of a search: SQLite's own LIKE over the stored texts, which returns the same
// rows for these texts (their letters are ASCII where they differ in case).
const std::string searchFloorStatement = std::string(listStatement) + " WHERE Address LIKE ? OR AddressName LIKE ?";

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
        std::vector<std::string> texts;
        while (sqlite3_step(query) == SQLITE_ROW) {
            for (int column = 0; column < 6; ++column) {
                const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(query, column));
                texts.emplace_back(text ? text : "");
            }
        }
        sqlite3_finalize(query);
        sqlite3_close(db);
    });
}

// The seeded rows carry no folded copies; the program writes them with every address,
// so they are written here once per file, as the program would have.
void foldSeededRows(const QString &file)
{
    static QSet<QString> folded;
    if (folded.contains(file))
        return;
    folded.insert(file);
    sqlite3 *db = nullptr;
    sqlite3_open(file.toUtf8().constData(), &db);
    exec(db, "BEGIN");
    sqlite3_stmt *read = nullptr;
    sqlite3_stmt *write = nullptr;
    sqlite3_prepare_v2(db, "SELECT rowid, Address, AddressName FROM address", -1, &read, nullptr);
    sqlite3_prepare_v2(db, "UPDATE address SET AddressFolded = ?, AddressNameFolded = ? WHERE rowid = ?", -1, &write,
                       nullptr);
    while (sqlite3_step(read) == SQLITE_ROW) {
        const auto text = [&](int column) {
            return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(read, column)));
        };
        const std::string address = AddressStore::folded(text(1)).toStdString();
        const std::string name = AddressStore::folded(text(2)).toStdString();
        sqlite3_bind_text(write, 1, address.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(write, 2, name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int64(write, 3, sqlite3_column_int64(read, 0));
        sqlite3_step(write);
        sqlite3_reset(write);
    }
    sqlite3_finalize(read);
    sqlite3_finalize(write);
    exec(db, "COMMIT");
    sqlite3_close(db);
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
        std::vector<std::string> texts;
        while (sqlite3_step(query) == SQLITE_ROW) {
            for (int column = 0; column < 6; ++column) {
                const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(query, column));
                texts.emplace_back(text ? text : "");
            }
        }
        sqlite3_finalize(query);
    }, 21);
    sqlite3_close(db);
    return ms;
}

// A search as the user starts it (the list, the count and the history insert), and the
// rows alone, against the floor: the same rows found by a plain LIKE and stepped with
// the C API. "store only" is the data layer's part: the search statement read into records.
void measureSearch(TFrmMain &window, const QString &file, const QString &text, const char *label)
{
    foldSeededRows(file);
    constexpr int searchRuns = 21; // short runs: more of them steady the median
    const double search = medianMs([&] { window.P_Search(text); }, searchRuns);
    const double searchOnly = medianMs([&] { window.P_AddRows(AddressFilter::search(text)); }, searchRuns);
    DbConnection store(QStringLiteral("bench"));
    configureConnection(store);
    const double storeOnly = medianMs([&] {
        AddressStore::forEach(store, AddressFilter::search(text), [](AddressRecord &&) {});
    }, searchRuns);
    const std::string pattern = "%" + text.toStdString() + "%";
    const double floor = searchFloorMs(file, pattern);
    std::printf("          search %-9s: %s | command %7.1f ms, rows only %7.1f ms, store only %7.1f ms "
                "(floor %7.1f ms: %.2fx / %.2fx / %.2fx)\n",
                label, qPrintable(window.statusPanelText(2)), search, searchOnly, storeOnly, floor, search / floor,
                searchOnly / floor, storeOnly / floor);
}

void measure(int count, const QString &folder)
{
    QDir().mkpath(folder);
    SettingsStore::setPath(folder);
    TDm1 dm1;
    dm1.init();
    dm1.connection().query(QStringLiteral("SELECT count(*) FROM BaseGroup")); // creates the file
    dm1.connection().close();
    seed(folder + QStringLiteral("/address.mdb"), count);

    TFrmMain window(dm1);
    window.show();
    QApplication::processEvents();
    TListView1 *list = window.ListView1;

    const double fill = medianMs([&] { window.P_FillList(); });
    const double floor = floorMs(folder + QStringLiteral("/address.mdb"));
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

    std::printf("%7d rows: fill %8.1f ms (floor %7.1f ms, %.2fx) | sort", list->rows()->count(), fill, floor,
                fill / floor);
    for (double sort : sorts)
        std::printf(" %6.1f", sort);
    std::printf(" ms | first paint %5.1f ms | page scroll %5.2f ms | panel \"%s\"\n", firstPaint, scroll,
                qPrintable(window.statusPanelText(2)));
    measureSearch(window, folder + QStringLiteral("/address.mdb"), QStringLiteral("/PATH/7/"), "about 1%");
    measureSearch(window, folder + QStringLiteral("/address.mdb"), QStringLiteral("no such text"), "none");
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir home;
    for (const char *name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
        qputenv(name, home.path().toLocal8Bit() + "/" + name);
    qputenv("XDG_CONFIG_DIRS", "/nonexistent");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::printf("median of %d runs; sorts are columns 0..4\n", Runs);
    for (int count : {1000, 10000, 100000})
        measure(count, home.path() + QStringLiteral("/db%1").arg(count));
    return 0;
}
