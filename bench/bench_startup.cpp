// Start-up of the real program, from its start to the first painted main window, with 0,
// 10,000 and 100,000 addresses, and its peak resident memory. Every figure is the median
// of whole processes started one after another by this program.
//
// The floor is the sum of two processes that do only what the start cannot avoid:
//   - a bare Qt window of the main window's size, shown, ended after its first paint
//     (this program with --bare-window);
//   - reading the six listed columns of the same rows with the SQLite C API into strings
//     (this program with --read-floor FILE), with the plainest statement over the tables.
// The program is started with VESTRANE_EXIT_AFTER_FIRST_PAINT=1 and the platform this
// program has (offscreen unless QT_QPA_PLATFORM or a display says otherwise).
//
// `bench_startup --prepare FOLDER COUNT` only makes a database of COUNT realistic rows in
// FOLDER and points the settings of the current HOME at it, for profiling the program.
#include "BenchData.h"

#include "data/DataModule.h"
#include "data/SettingsStore.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <sqlite3.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

extern char **environ;

namespace {

constexpr int Runs = 7;
constexpr int WindowWidth = 591; // the main window's design size
constexpr int WindowHeight = 404;

struct ProcessRun
{
    double ms = 0;
    double peakMb = 0;
    int exitCode = -1;
};

ProcessRun runProcess(const std::vector<std::string> &arguments)
{
    std::vector<char *> argv;
    for (const std::string &argument : arguments)
        argv.push_back(const_cast<char *>(argument.c_str()));
    argv.push_back(nullptr);
    QElapsedTimer timer;
    timer.start();
    // What the programs print (platform notes) is not part of the report.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int started = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (started != 0) {
        std::fprintf(stderr, "cannot start %s\n", argv[0]);
        std::exit(1);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    ProcessRun run;
    run.ms = timer.nsecsElapsed() / 1e6;
    run.peakMb = usage.ru_maxrss / 1024.0;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return run;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct Series
{
    std::vector<double> ms;
    std::vector<double> peakMb;
    void add(const ProcessRun &run)
    {
        if (run.exitCode != 0) {
            std::fprintf(stderr, "a run ended with %d\n", run.exitCode);
            std::exit(1);
        }
        ms.push_back(run.ms);
        peakMb.push_back(run.peakMb);
    }
};

// The C-API floor of reading the list: the six columns of every address with its group
// name, stepped into strings.
int readFloor(const char *file)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(file, &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt *query = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT a.Address, a.AddressName, a.ViewTime, a.Times, a.MyAddress, g.GroupName "
                       "FROM address a LEFT JOIN BaseGroup g ON g.GroupNo = a.GroupNo",
                       -1, &query, nullptr);
    const std::vector<std::string> texts = BenchData::stepTexts(query, 6);
    sqlite3_finalize(query);
    sqlite3_close(db);
    volatile size_t read = texts.size(); // keeps the strings from being optimised away
    (void)read;
    return 0;
}

int bareWindow(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.resize(WindowWidth, WindowHeight);
    struct FirstPaint : QObject
    {
        bool eventFilter(QObject *, QEvent *event) override
        {
            if (event->type() == QEvent::Paint)
                QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
            return false;
        }
    } firstPaint;
    window.installEventFilter(&firstPaint);
    window.show();
    return app.exec();
}

void prepareDatabase(const QString &folder, int count, BenchData::Kind kind)
{
    QDir().mkpath(folder);
    SettingsStore::setPath(folder);
    TDm1 dm1;
    dm1.init();
    dm1.connection().query(QStringLiteral("SELECT count(*) FROM BaseGroup")); // creates the file
    dm1.connection().close();
    BenchData::seed(folder + QStringLiteral("/address.mdb"), count, kind);
}

void measure(const std::string &self, const QString &folder, int count, BenchData::Kind kind)
{
    prepareDatabase(folder, count, kind);
    const std::string file = (folder + QStringLiteral("/address.mdb")).toStdString();
    Series program, window, read;
    runProcess({VESTRANE_EXECUTABLE}); // warm-up: caches, fonts
    for (int run = 0; run < Runs; ++run) {
        program.add(runProcess({VESTRANE_EXECUTABLE}));
        window.add(runProcess({self, "--bare-window"}));
        read.add(runProcess({self, "--read-floor", file}));
    }
    const double floor = median(window.ms) + median(read.ms);
    std::printf("%7d %-9s: start %7.1f ms | floor %7.1f ms (bare window %6.1f + C-API read %6.1f), %.2fx | "
                "peak memory %6.1f MB (bare window %5.1f MB)\n",
                count, BenchData::kindName(kind), median(program.ms), floor, median(window.ms), median(read.ms),
                median(program.ms) / floor, median(program.peakMb), median(window.peakMb));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--bare-window") == 0)
        return bareWindow(argc, argv);
    if (argc == 3 && std::strcmp(argv[1], "--read-floor") == 0)
        return readFloor(argv[2]);

    if (argc == 4 && std::strcmp(argv[1], "--prepare") == 0) {
        QCoreApplication app(argc, argv);
        prepareDatabase(QString::fromLocal8Bit(argv[2]), std::atoi(argv[3]), BenchData::Kind::Realistic);
        return 0;
    }

    QTemporaryDir home;
    for (const char *name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"}) {
        const QString path = home.path() + QLatin1Char('/') + QLatin1String(name);
        QDir().mkpath(path);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv(name, path.toLocal8Bit());
    }
    qputenv("XDG_CONFIG_DIRS", "/nonexistent");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // No session bus: the program would otherwise own the automation name of the user's bus.
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus");
    qputenv("VESTRANE_EXIT_AFTER_FIRST_PAINT", "1");
    // The user's locale: Chinese dates and collation.
    qunsetenv("LC_ALL");
    qputenv("LANG", "zh_CN.UTF-8");
    QCoreApplication app(argc, argv);

    std::printf("median of %d whole processes each; platform %s\n", Runs,
                qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") ? "xcb" : qgetenv("QT_QPA_PLATFORM").constData());
    const std::string self = QCoreApplication::applicationFilePath().toStdString();
    for (int count : {0, 10000, 100000})
        measure(self, home.path() + QStringLiteral("/db%1").arg(count), count, BenchData::Kind::Realistic);
    measure(self, home.path() + QStringLiteral("/legacy"), 100000, BenchData::Kind::Legacy);
    return 0;
}
