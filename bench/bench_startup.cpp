// Start-up of the real program, from its start to the first painted main window, with 0,
// 100,000 and 1,000,000 addresses (or the counts given as arguments), and its peak
// resident memory. Program and floor are started in turn, run by run; every figure is the
// median (min-max) of whole processes, the ratio that of the runs' own ratios.
//
// The floor is the sum of two processes that do only what the first screen cannot avoid:
//   - floor_window: a Qt window of the main window's size, shown, ended after its first paint,
//     linked to Qt Widgets alone; bare, and, as a second floor, painting the first screen's
//     texts (the fonts a Chinese screen needs and the shaping of its texts, which the bare
//     window never pays);
//   - floor_first_page: the count of the addresses, the first page of rows and the names of
//     the groups read with the SQLite C API from a plain library of the same rows (no Qt, no
//     folded copies).
// The program is started with VESTRANE_EXIT_AFTER_FIRST_PAINT=1 and the platform this
// program has (offscreen unless QT_QPA_PLATFORM or a display says otherwise).
//
// `bench_startup --prepare FOLDER COUNT` only makes a database of COUNT realistic rows in
// FOLDER and points the settings of the current HOME at it, for profiling the program.
#include "BenchData.h"

#include "data/SharedConnection.h"
#include "data/SettingsStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int Runs = 7;

struct Series
{
    std::vector<double> ms;
    std::vector<double> peakMb;
    void add(const BenchData::ProcessRun &run)
    {
        if (run.exitCode != 0) {
            std::fprintf(stderr, "a run ended with %d\n", run.exitCode);
            std::exit(1);
        }
        ms.push_back(run.ms);
        peakMb.push_back(run.peakMb);
    }
};

void prepareDatabase(const QString &folder, int count, BenchData::Kind kind)
{
    QDir().mkpath(folder);
    SettingsStore::setPath(folder);
    SharedConnection sharedConnection;
    sharedConnection.init();
    sharedConnection.connection().query(QStringLiteral("SELECT count(*) FROM BaseGroup")); // creates the file
    sharedConnection.connection().close();
    BenchData::seed(folder + QStringLiteral("/address.mdb"), count, kind);
}

void measure(const QString &folder, int count)
{
    prepareDatabase(folder, count, BenchData::Kind::Realistic);
    const std::string plain = (folder + QStringLiteral("/plain.mdb")).toStdString();
    BenchData::writePlainLibrary(plain, count);
    const std::string texts = (folder + QStringLiteral("/texts.txt")).toStdString();
    Series program, window, textWindow, read;
    std::vector<double> ratios, textRatios;
    BenchData::runProcess({VESTRANE_EXECUTABLE}); // warm-up: caches, fonts
    BenchData::runProcess({FLOOR_FIRST_PAGE, plain, texts});
    for (int run = 0; run < Runs; ++run) {
        program.add(BenchData::runProcess({VESTRANE_EXECUTABLE}));
        window.add(BenchData::runProcess({FLOOR_WINDOW}));
        textWindow.add(BenchData::runProcess({FLOOR_WINDOW, texts}));
        read.add(BenchData::runProcess({FLOOR_FIRST_PAGE, plain}));
        ratios.push_back(program.ms.back() / (window.ms.back() + read.ms.back()));
        textRatios.push_back(program.ms.back() / (textWindow.ms.back() + read.ms.back()));
    }
    const auto ratio = [](const std::vector<double> &values) {
        char text[64];
        std::snprintf(text, sizeof text, "%.2fx (%.2f-%.2f)", BenchData::median(values),
                      *std::min_element(values.begin(), values.end()), *std::max_element(values.begin(), values.end()));
        return std::string(text);
    };
    std::printf("%8d | %-22s | %-22s | %-22s | %-20s | %-18s | %-18s | %5.1f MB (window %.1f MB)\n", count,
                BenchData::spread(program.ms).c_str(), BenchData::spread(window.ms).c_str(),
                BenchData::spread(textWindow.ms).c_str(), BenchData::spread(read.ms).c_str(), ratio(ratios).c_str(),
                ratio(textRatios).c_str(), BenchData::median(program.peakMb), BenchData::median(window.peakMb));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
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

    std::vector<int> counts;
    for (int i = 1; i < argc; ++i)
        counts.push_back(std::atoi(argv[i]));
    if (counts.empty())
        counts = {0, 100000, 1000000};
    std::printf("%d runs each, program and floor in turn; ms as median (min-max); platform %s\n", Runs,
                qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") ? "xcb" : qgetenv("QT_QPA_PLATFORM").constData());
    std::printf("%8s | %-22s | %-22s | %-22s | %-20s | %-18s | %-18s | %s\n", "rows", "start to first paint",
                "bare Qt window", "window painting texts", "count + first page", "ratio, bare window",
                "ratio, text window", "peak memory");
    for (int count : counts)
        measure(home.path() + QStringLiteral("/db%1").arg(count), count);
    return 0;
}
