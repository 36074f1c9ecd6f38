// What following the library costs the main window, offscreen, with 100,000 realistic
// addresses (or the count given): the processor time the idle watch takes over a minute
// (or the seconds given), read from /proc/self/stat, and the time from another process's
// commit of one address to the list showing it, beside the time of an F5 reload itself, both
// after a commit of this process (warm cache) and right after another process's commit
// (SQLite then reads every page anew).
// Arguments: [rows] [idle seconds].
#include "BenchData.h"

#include "controls/ReportRows.h"
#include "controls/AddressListView.h"
#include "data/SharedConnection.h"
#include "data/SettingsStore.h"
#include "main/MainWindow.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int Runs = 7;

// User and system time of this process, in clock ticks.
long long processorTicks()
{
    QFile stat(QStringLiteral("/proc/self/stat"));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray line = stat.readAll();
    // The fields after the command's name, which is in parentheses and may hold blanks.
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    return fields.value(11).toLongLong() + fields.value(12).toLongLong(); // utime, stime
}

// The other process: inserts one address in its own transaction and prints the wall-clock
// time of the commit in milliseconds.
int writeOne(const char *file, const char *address)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open(file, &db) != SQLITE_OK)
        return 1;
    sqlite3_busy_timeout(db, 5000);
    sqlite3_stmt *insert = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO address (Address, AddressName, Times, ViewTime, GroupNo, MyAddress, "
                       "AddressFolded, AddressNameFolded) VALUES (?1, 'bench', 0, '2024-05-01', 1, 0, ?1, 'bench')",
                       -1, &insert, nullptr);
    sqlite3_bind_text(insert, 1, address, -1, SQLITE_TRANSIENT);
    const int result = sqlite3_step(insert);
    const qint64 committed = QDateTime::currentMSecsSinceEpoch();
    sqlite3_finalize(insert);
    sqlite3_close(db);
    if (result != SQLITE_DONE)
        return 1;
    std::printf("%lld\n", static_cast<long long>(committed));
    return 0;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 4 && qstrcmp(argv[1], "--write") == 0)
        return writeOne(argv[2], argv[3]);

    QTemporaryDir home;
    BenchData::useOwnHome(home.path());
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    const int count = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int idleSeconds = argc > 2 ? std::atoi(argv[2]) : 60;

    const QString folder = home.path() + QStringLiteral("/library");
    QDir().mkpath(folder);
    SettingsStore::setPath(folder);
    const QString file = folder + QStringLiteral("/address.mdb");
    SharedConnection sharedConnection;
    sharedConnection.init();
    sharedConnection.connection().query(QStringLiteral("SELECT count(*) FROM BaseGroup")); // creates the file
    sharedConnection.connection().close();
    BenchData::seed(file, count, BenchData::Kind::Realistic);

    MainWindow window(sharedConnection);
    window.show();
    QApplication::processEvents();
    ReportRows *rows = window.findChild<AddressListView *>(QStringLiteral("addressList"))->reportRows();

    std::vector<double> reloads;
    for (int run = 0; run < Runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        window.reloadFromLibrary();
        reloads.push_back(timer.nsecsElapsed() / 1e6);
    }
    // The writer ends before the event loop runs again, so F5 comes before the watch looks.
    std::vector<double> reloadsAfterOutsideCommit;
    for (int run = 0; run < Runs; ++run) {
        QProcess writer;
        writer.start(QCoreApplication::applicationFilePath(),
                     {QStringLiteral("--write"), file, QStringLiteral("www.bench-f5-%1.example").arg(run)});
        writer.waitForFinished();
        QElapsedTimer timer;
        timer.start();
        window.reloadFromLibrary();
        reloadsAfterOutsideCommit.push_back(timer.nsecsElapsed() / 1e6);
        QEventLoop settle; // the watch's own reload of the same change
        QTimer::singleShot(1000, &settle, &QEventLoop::quit);
        settle.exec();
    }

    const long long ticksBefore = processorTicks();
    QElapsedTimer idle;
    idle.start();
    QEventLoop idleLoop;
    QTimer::singleShot(idleSeconds * 1000, &idleLoop, &QEventLoop::quit);
    idleLoop.exec();
    const double idleTicks = double(processorTicks() - ticksBefore);
    const double idleShare = 100.0 * idleTicks / double(::sysconf(_SC_CLK_TCK)) / (idle.elapsed() / 1000.0);

    std::vector<double> latencies;
    for (int run = 0; run < Runs; ++run) {
        const int expected = rows->count() + 1;
        qint64 shownAt = 0;
        QEventLoop shown;
        const auto connection = QObject::connect(rows, &QAbstractItemModel::modelReset, &shown, [&] {
            if (rows->count() == expected) {
                shownAt = QDateTime::currentMSecsSinceEpoch();
                shown.quit();
            }
        });
        QProcess writer;
        writer.start(QCoreApplication::applicationFilePath(),
                     {QStringLiteral("--write"), file, QStringLiteral("www.bench-live-%1.example").arg(run)});
        QTimer::singleShot(10000, &shown, &QEventLoop::quit);
        shown.exec();
        QObject::disconnect(connection);
        writer.waitForFinished();
        const qint64 committed = writer.readAllStandardOutput().trimmed().toLongLong();
        if (!shownAt || !committed) {
            std::printf("run %d: the list did not show the other process's address\n", run);
            return 1;
        }
        latencies.push_back(double(shownAt - committed));
        QEventLoop pause; // the next commit comes when the window is idle again
        QTimer::singleShot(500, &pause, &QEventLoop::quit);
        pause.exec();
    }

    std::printf("%d rows, realistic data; median of %d runs\n", count, Runs);
    std::printf("F5 reload: %.1f ms; right after another process's commit: %.1f ms\n", median(reloads),
                median(reloadsAfterOutsideCommit));
    std::printf("idle watch: %.0f ticks in %.1f s = %.3f %% of one core\n", idleTicks, idle.elapsed() / 1000.0,
                idleShare);
    std::printf("commit in another process to the list showing it: %.1f ms (max %.1f ms)\n", median(latencies),
                *std::max_element(latencies.begin(), latencies.end()));
    return 0;
}
