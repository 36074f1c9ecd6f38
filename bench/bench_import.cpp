// Speed of the import window against the floor of the same work done by hand.
//
// For 1,000 and 10,000 shortcut files in a Favorites folder of a temporary home:
//   listing:  listFavoritesFolder (offscreen)            vs  readdir + read of every file
//   import:   importChecked, all rows ticked   vs  readdir + read of every file and
//             (message box recorded)                 the inserts through the sqlite3 C API
//                                                    in one transaction into a new plain
//                                                    file (no index, folded copies written)
// Each figure is the median of 7 runs, the program's and the floor's in turn; the address
// table is emptied before each import run (not timed). Targets: each ratio at most 3.

#include "data/SharedConnection.h"
#include "data/SettingsStore.h"
#include "import/ImportWindow.h"
#include "platform/Dialogs.h"

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QToolButton>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int Runs = 7;

double msOf(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}

double median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

struct Medians
{
    double program;
    double floor;
};

// The program's work and the floor's in turn, run by run, so that a machine whose speed
// drifts slows both alike; `prepare` runs before each of the program's runs, untimed.
Medians pairedMs(const std::function<void()> &prepare, const std::function<void()> &work,
                 const std::function<void()> &floor)
{
    std::vector<double> programTimes, floorTimes;
    for (int i = 0; i < Runs; ++i) {
        prepare();
        programTimes.push_back(msOf(work));
        floorTimes.push_back(msOf(floor));
    }
    return {median(programTimes), median(floorTimes)};
}

void writeFile(const std::string &path, const std::string &content)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || ::write(fd, content.data(), content.size()) != ssize_t(content.size())) {
        std::perror(path.c_str());
        std::exit(1);
    }
    ::close(fd);
}

// A shortcut as browsers write them: a few keys before and after the address; one in
// eight has a Chinese name.
void writeShortcuts(const std::string &folder, int count)
{
    QDir(QString::fromStdString(folder)).removeRecursively();
    QDir().mkpath(QString::fromStdString(folder));
    for (int i = 0; i < count; ++i) {
        char stem[64];
        std::snprintf(stem, sizeof stem, i % 8 == 0 ? "网站 %05d" : "site %05d", i);
        char url[128];
        std::snprintf(url, sizeof url, "http://www.site%05d.example.com/path/index.html", i);
        const std::string content = std::string("[DEFAULT]\r\nBASEURL=") + url + "\r\n[InternetShortcut]\r\nURL=" + url
            + "\r\nIDList=\r\nIconFile=http://www.example.com/favicon.ico\r\n"
              "IconIndex=1\r\nHotKey=0\r\n";
        writeFile(folder + stem + ".url", content);
    }
}

bool endsWithUrl(const char *name)
{
    const size_t length = std::strlen(name);
    return length > 4 && strncasecmp(name + length - 4, ".url", 4) == 0;
}

struct RawShortcut
{
    std::string name;
    std::string content;
};

// The floor of reading: list the folder and read every shortcut whole.
std::vector<RawShortcut> readAll(const std::string &folder)
{
    std::vector<RawShortcut> shortcuts;
    DIR *dir = ::opendir(folder.c_str());
    if (!dir)
        return shortcuts;
    char buffer[65536];
    while (dirent *entry = ::readdir(dir)) {
        if (!endsWithUrl(entry->d_name))
            continue;
        const int fd = ::openat(::dirfd(dir), entry->d_name, O_RDONLY);
        if (fd < 0)
            continue;
        RawShortcut shortcut{entry->d_name, {}};
        ssize_t got;
        while ((got = ::read(fd, buffer, sizeof buffer)) > 0)
            shortcut.content.append(buffer, size_t(got));
        ::close(fd);
        shortcuts.push_back(std::move(shortcut));
    }
    ::closedir(dir);
    return shortcuts;
}

std::string addressIn(const std::string &content)
{
    const size_t header = content.find("[InternetShortcut]");
    if (header == std::string::npos)
        return {};
    const size_t start = content.find('\n', header);
    if (start == std::string::npos)
        return {};
    const size_t end = content.find_first_of("\r\n", start + 1);
    std::string line = content.substr(start + 1, end - start - 1);
    return line.size() > 4 ? line.substr(4) : std::string();
}

void check(int rc, sqlite3 *db, int expected = SQLITE_OK)
{
    if (rc != expected) {
        std::fprintf(stderr, "sqlite: %s\n", sqlite3_errmsg(db));
        std::exit(1);
    }
}

void exec(sqlite3 *db, const char *sql)
{
    check(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), db);
}

std::string foldedAscii(std::string text)
{
    for (char &c : text)
        if (c >= 'A' && c <= 'Z')
            c = char(c + 32);
    return text;
}

// The floor of importing: read the files, then insert one row per file in one
// transaction through a prepared statement, into a new file of plain tables. Only ASCII
// letters are folded: the other letters of these names are Chinese, which has no case.
void floorImport(const std::string &file, const std::string &folder)
{
    const std::vector<RawShortcut> shortcuts = readAll(folder);
    const std::string today = QDate::currentDate().toString(Qt::ISODate).toStdString();
    std::remove(file.c_str());
    sqlite3 *db = nullptr;
    check(sqlite3_open(file.c_str(), &db), db);
    exec(db,
         "CREATE TABLE address (Address TEXT, AddressName TEXT, Times INTEGER NOT NULL DEFAULT 0, "
         "ViewTime TEXT, GroupNo INTEGER, MyAddress INTEGER NOT NULL DEFAULT 0, "
         "AddressFolded TEXT NOT NULL DEFAULT '', AddressNameFolded TEXT NOT NULL DEFAULT '')");
    sqlite3_stmt *insert = nullptr;
    check(sqlite3_prepare_v2(db,
                             "INSERT INTO address (Address, AddressName, Times, ViewTime, GroupNo, AddressFolded, "
                             "AddressNameFolded) VALUES (?, ?, 0, ?, 1, ?, ?)",
                             -1, &insert, nullptr),
          db);
    exec(db, "BEGIN");
    for (const RawShortcut &shortcut : shortcuts) {
        const std::string address = addressIn(shortcut.content);
        const std::string name = shortcut.name.substr(0, shortcut.name.size() - 4);
        const std::string addressFolded = foldedAscii(address), nameFolded = foldedAscii(name);
        sqlite3_bind_text(insert, 1, address.data(), int(address.size()), SQLITE_STATIC);
        sqlite3_bind_text(insert, 2, name.data(), int(name.size()), SQLITE_STATIC);
        sqlite3_bind_text(insert, 3, today.data(), int(today.size()), SQLITE_STATIC);
        sqlite3_bind_text(insert, 4, addressFolded.data(), int(addressFolded.size()), SQLITE_STATIC);
        sqlite3_bind_text(insert, 5, nameFolded.data(), int(nameFolded.size()), SQLITE_STATIC);
        check(sqlite3_step(insert), db, SQLITE_DONE);
        sqlite3_reset(insert);
    }
    exec(db, "COMMIT");
    sqlite3_finalize(insert);
    sqlite3_close(db);
}

int countRows(sqlite3 *db)
{
    sqlite3_stmt *count = nullptr;
    sqlite3_prepare_v2(db, "SELECT count(*) FROM address", -1, &count, nullptr);
    sqlite3_step(count);
    const int rows = sqlite3_column_int(count, 0);
    sqlite3_finalize(count);
    return rows;
}

void emptyAddresses(sqlite3 *db)
{
    exec(db, "DELETE FROM address");
    sqlite3_wal_checkpoint_v2(db, nullptr, SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr);
}

void ratioLine(const char *what, int count, double measured, double floor)
{
    const double ratio = measured / floor;
    std::printf("%-8s %6d  %10.1f ms  %10.1f ms  %6.2fx  %s\n", what, count, measured, floor, ratio,
                ratio <= 3.0 ? "ok" : "OVER TARGET");
}

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir root;
    const QByteArray base = root.path().toLocal8Bit();
    for (const char *sub : {"/home", "/config", "/data", "/runtime"})
        QDir().mkpath(QString::fromLocal8Bit(base + sub));
    ::chmod((base + "/runtime").constData(), 0700);
    qputenv("HOME", base + "/home");
    qputenv("XDG_CONFIG_HOME", base + "/config");
    qputenv("XDG_DATA_HOME", base + "/data");
    qputenv("XDG_RUNTIME_DIR", base + "/runtime");
    qunsetenv("USERPROFILE");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication app(argc, argv);
    SettingsStore::writeDefaultsIfMissing();
    Dialogs::startRecording();

    SharedConnection sharedConnection;
    sharedConnection.init();
    sharedConnection.connection().query(QStringLiteral("SELECT count(*) FROM BaseGroup")); // creates the library
    sqlite3 *db = nullptr;
    check(sqlite3_open(databaseFileFor(QString()).toUtf8().constData(), &db), db);
    exec(db, "PRAGMA journal_mode=WAL");
    exec(db, "PRAGMA busy_timeout=5000");

    const std::string folder = std::string(base.constData()) + "/home/Favorites/";
    std::printf("median of %d runs each\n", Runs);
    std::printf("%-8s %6s  %13s  %13s  %7s\n", "what", "files", "window", "floor", "ratio");

    for (const int count : {1000, 10000}) {
        writeShortcuts(folder, count);
        readAll(folder); // warm the page cache for both sides

        ImportWindow window(sharedConnection);
        auto *ieButton = window.findChild<QToolButton *>(QStringLiteral("favoritesButton"));
        const std::string floorFile = std::string(base.constData()) + "/floor.mdb";
        const Medians listing = pairedMs([&] { ieButton->setEnabled(true); }, [&] { window.listFavoritesFolder(); },
                                         [&] { readAll(folder); });
        if (ieButton->isEnabled()) {
            std::fprintf(stderr, "listing failed\n");
            return 1;
        }

        const Medians importing = pairedMs(
            [&] {
                emptyAddresses(db);
                Dialogs::clearRecorded();
            },
            [&] { window.importChecked(); }, [&] { floorImport(floorFile, folder); });
        if (countRows(db) != count || Dialogs::recorded().size() != 1
            || Dialogs::recorded().first().text != QStringLiteral("成功导入！")) {
            std::fprintf(stderr, "import failed: %d rows\n", countRows(db));
            return 1;
        }
        const Medians listAndImport = pairedMs(
            [&] {
                emptyAddresses(db);
                ieButton->setEnabled(true);
            },
            [&] {
                window.listFavoritesFolder();
                window.importChecked();
            },
            [&] { floorImport(floorFile, folder); });
        sqlite3 *floorDb = nullptr;
        check(sqlite3_open(floorFile.c_str(), &floorDb), floorDb);
        const int floorRows = countRows(floorDb);
        sqlite3_close(floorDb);
        if (floorRows != count) {
            std::fprintf(stderr, "floor import failed\n");
            return 1;
        }

        ratioLine("listing", count, listing.program, listing.floor);
        ratioLine("import", count, importing.program, importing.floor);
        ratioLine("list+imp", count, listAndImport.program, listAndImport.floor);
    }
    sqlite3_close(db);
    return 0;
}
