// Speed of the main window's address list at 1,000, 10,000 and 100,000 addresses in 20
// groups, offscreen: filling the list for the root node, a header sort of each column, the
// first paint, and the repaint after scrolling one page; realistic data first, then the
// earlier data (see BenchData.h). The floor of the fill is stepping through the same rows
// with the SQLite C API (the tables joined directly) into a vector of strings.
#include "BenchData.h"

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
#include <QTemporaryDir>

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

    std::printf("%7d %-9s: fill %8.1f ms (floor %7.1f ms, %.2fx) | sort", list->rows()->count(), BenchData::kindName(kind), fill, floor,
                fill / floor);
    for (double sort : sorts)
        std::printf(" %6.1f", sort);
    std::printf(" ms | first paint %5.1f ms | page scroll %5.2f ms | panel \"%s\"\n", firstPaint, scroll,
                qPrintable(window.statusPanelText(2)));
    // About 1% of the rows: on realistic rows, addresses in ".edu.cn" whose path starts
    // with "list" (1/8 x 1/16), typed in capitals so that the case is folded.
    const QString onePercent = kind == BenchData::Kind::Realistic ? QStringLiteral("EDU.CN/LIST")
                                                                  : QStringLiteral("/PATH/7/");
    measureSearch(window, folder + QStringLiteral("/address.mdb"), onePercent, "about 1%");
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
    // The user's locale: Chinese, whose collator orders the address column.
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    std::printf("median of %d runs; sorts are columns 0..4\n", Runs);
    // Arguments, when given, are the row counts to measure (for profiling one size).
    std::vector<int> counts;
    for (int i = 1; i < argc; ++i)
        counts.push_back(std::atoi(argv[i]));
    if (counts.empty())
        counts = {1000, 10000, 100000};
    for (BenchData::Kind kind : {BenchData::Kind::Realistic, BenchData::Kind::Legacy}) {
        for (int count : counts)
            measure(count, home.path() + QStringLiteral("/%1-%2").arg(BenchData::kindName(kind)).arg(count), kind);
    }
    return 0;
}
