// Start-up of the real program, from its start to the first painted main window, with 0,
// 100,000 and 1,000,000 addresses (or the counts given as arguments), and its peak
// resident memory. Program and floor are started in turn, run by run; every figure is the
// median (min-max) of whole processes, the ratio that of the runs' own ratios.
//
// The floor is the sum of two processes that do only what the first screen cannot avoid:
//   - a Qt window of the main window's size, shown, ended after its first paint: bare (this
//     program with --bare-window), and, as a second floor, painting the first screen's texts
//     (--text-window: the fonts a Chinese screen needs and the shaping of its texts, which
//     the bare window never pays);
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

#include <QApplication>
#include <QFile>
#include <QPainter>
#include <QDir>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int Runs = 7;
constexpr int WindowWidth = 591; // the main window's design size
constexpr int WindowHeight = 404;

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

// The texts of the first screen as floor_first_page wrote them: the number of groups' names,
// the names, then the rows' six columns.
struct ScreenTexts
{
    QStringList groups;
    QStringList cells;
};

ScreenTexts readScreenTexts(const QString &path)
{
    QFile file(path);
    ScreenTexts texts;
    if (!file.open(QIODevice::ReadOnly))
        return texts;
    QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    const int groups = lines.isEmpty() ? 0 : lines.takeFirst().toInt();
    texts.groups = lines.mid(0, groups);
    texts.cells = lines.mid(groups);
    return texts;
}

// A window that paints the first screen's texts where the main window shows them: the
// tool bar's captions, the tree's names, the list's header and visible rows (each cell
// elided to its column) and the status line. No widgets inside, no models, no database.
class TextWindow : public QWidget
{
public:
    explicit TextWindow(ScreenTexts texts) : m_texts(std::move(texts)) {}

protected:
    void paintEvent(QPaintEvent *) override
    {
        static const QStringList bar{"透明", "置后", "IP", "收藏夹", "导入", "帮助", "退出", "目录", "查询"};
        static const QStringList header{"网址", "名称", "访问时间", "访问次数", "组别", "收藏"};
        static const int widths[6] = {95, 160, 60, 55, 60, 40};
        constexpr int RowHeight = 18;
        QPainter painter(this);
        painter.fillRect(rect(), QColor(0xEC, 0xE9, 0xD8));
        const QFontMetrics metrics = painter.fontMetrics();
        for (int i = 0; i < bar.size(); ++i)
            painter.drawText(10 + 70 * (i % 7), 15 + 22 * (i / 7), bar[i]);
        for (int i = 0; i < m_texts.groups.size() && 70 + i * RowHeight < height() - 20; ++i)
            painter.drawText(20, 70 + i * RowHeight, metrics.elidedText(m_texts.groups[i], Qt::ElideRight, 130));
        int x = 170;
        for (int column = 0; column < 6; ++column) {
            painter.drawText(x, 55, header[column]);
            for (int row = 0; 6 * row + column < m_texts.cells.size() && 70 + row * RowHeight < height() - 20; ++row)
                painter.drawText(x, 70 + row * RowHeight,
                                 metrics.elidedText(m_texts.cells[6 * row + column], Qt::ElideRight, widths[column]));
            x += widths[column];
        }
        painter.drawText(5, height() - 4, "网址");
        painter.drawText(450, height() - 4, QString::fromUtf8("共%1条记录").arg(m_texts.cells.size() / 6));
    }

private:
    ScreenTexts m_texts;
};

// A window of the main window's size, ended after its first paint: bare, or painting the
// first screen's texts (given the file floor_first_page wrote).
int floorWindow(int argc, char **argv, const char *texts)
{
    QApplication app(argc, argv);
    std::unique_ptr<QWidget> window;
    if (texts)
        window = std::make_unique<TextWindow>(readScreenTexts(QString::fromLocal8Bit(texts)));
    else
        window = std::make_unique<QWidget>();
    window->resize(WindowWidth, WindowHeight);
    struct FirstPaint : QObject
    {
        bool eventFilter(QObject *, QEvent *event) override
        {
            if (event->type() == QEvent::Paint)
                QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
            return false;
        }
    } firstPaint;
    window->installEventFilter(&firstPaint);
    window->show();
    return app.exec();
}

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

void measure(const std::string &self, const QString &folder, int count)
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
        window.add(BenchData::runProcess({self, "--bare-window"}));
        textWindow.add(BenchData::runProcess({self, "--text-window", texts}));
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
    if (argc == 2 && std::strcmp(argv[1], "--bare-window") == 0)
        return floorWindow(argc, argv, nullptr);
    if (argc == 3 && std::strcmp(argv[1], "--text-window") == 0)
        return floorWindow(argc, argv, argv[2]);

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
    const std::string self = QCoreApplication::applicationFilePath().toStdString();
    for (int count : counts)
        measure(self, home.path() + QStringLiteral("/db%1").arg(count), count);
    return 0;
}
