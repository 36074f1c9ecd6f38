// Speed of the bookmark import and export against floors measured in the same run.
//
// import:  a Netscape file of 100,000 bookmarks in 20 folders, read, planned (duplicate
//          check) and stored by ImportService::importFile into an empty library
//     vs   a plain C++ scan of the same file that finds the same folders and links
//          (entities of the addresses decoded, the address normalised) and inserts them
//          through the sqlite3 C API with one prepared statement in one transaction.
// export:  ExportService::exportTo of those 100,000 addresses
//     vs   the same bytes made the plainest way: one SELECT through the C API, the lines
//          formatted by hand into one buffer, one write(). The bare write of the bytes
//          is printed too.
// Each figure is the median of several runs, each into a fresh database file.
// entities: a title of 1 MB of '&' closed by one ';' read by NetscapeReader
//     vs   a title of 1 MB of "&amp;" references, which are decoded.
// Targets: import at most 3 times its floor, export at most 2 times, entities at most 3.

#include "bookmarks/ExportService.h"
#include "bookmarks/ImportService.h"
#include "bookmarks/NetscapeReader.h"
#include "data/DbConnection.h"
#include "data/Schema.h"
#include "data/SqliteEngine.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int Bookmarks = 100000;
constexpr int Folders = 20;
constexpr int Runs = 3;

double medianMs(const std::function<void(int)> &work)
{
    std::vector<double> times;
    for (int run = 0; run < Runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        work(run);
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Realistic content: addresses of 20 to 200 characters, a third of the names Chinese,
// distinct dates, "&" in queries escaped as browsers write it.
std::string makeFile()
{
    std::mt19937 random(7);
    const char *chinese[] = {"新闻", "资料", "学习", "工具", "购物", "视频", "地图", "天气", "论坛", "文档"};
    std::string out = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"
                      "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n"
                      "<TITLE>Bookmarks</TITLE>\n<H1>Bookmarks</H1>\n<DL><p>\n";
    int n = 0;
    for (int folder = 0; folder < Folders; ++folder) {
        out += "    <DT><H3 ADD_DATE=\"1600000000\">Folder " + std::to_string(folder) + " 文件夹</H3>\n    <DL><p>\n";
        for (int i = 0; i < Bookmarks / Folders; ++i, ++n) {
            std::string url = (n % 3 ? "https://www." : "http://") + std::string("host") + std::to_string(n % 997) +
                              ".example.com/";
            const size_t length = 20 + random() % 181;
            while (url.size() + 14 < length)
                url += "path" + std::to_string(random() % 1000) + "/";
            url += "?a=" + std::to_string(n) + "&amp;b=1";
            std::string title = n % 3 == 0 ? std::string(chinese[n % 10]) + chinese[(n / 10) % 10] + std::to_string(n)
                                           : "Page number " + std::to_string(n);
            out += "        <DT><A HREF=\"" + url + "\" ADD_DATE=\"" + std::to_string(1500000000 + n * 37) + "\">" +
                   title + "</A>\n";
        }
        out += "    </DL><p>\n";
    }
    out += "</DL><p>\n";
    return out;
}

void check(int rc, sqlite3 *db)
{
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
        std::fprintf(stderr, "sqlite: %s\n", sqlite3_errmsg(db));
        std::exit(1);
    }
}

sqlite3 *openWithSchema(const std::string &file)
{
    sqlite3 *db = nullptr;
    check(sqlite3_open(file.c_str(), &db), db);
    check(sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr), db);
    // The floor writes the table and the folded columns, not the program's search index.
    const QStringList searchIndex = SqliteEngine().indexStatements();
    for (const QString &statement : Schema::statements()) {
        if (!searchIndex.contains(statement))
            check(sqlite3_exec(db, statement.toUtf8().constData(), nullptr, nullptr, nullptr), db);
    }
    return db;
}

std::string between(const std::string &s, size_t from, const char *end, size_t *stop)
{
    const size_t at = s.find(end, from);
    *stop = at == std::string::npos ? s.size() : at;
    return s.substr(from, *stop - from);
}

// The floor of the import: scan, normalise, insert.
int floorImport(const std::string &path, const std::string &dbFile)
{
    std::string s;
    {
        FILE *in = std::fopen(path.c_str(), "rb");
        std::fseek(in, 0, SEEK_END);
        s.resize(size_t(std::ftell(in)));
        std::fseek(in, 0, SEEK_SET);
        if (std::fread(s.data(), 1, s.size(), in) != s.size())
            std::exit(1);
        std::fclose(in);
    }
    sqlite3 *db = openWithSchema(dbFile);
    check(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), db);
    sqlite3_stmt *group = nullptr, *insert = nullptr;
    check(sqlite3_prepare_v2(db, "INSERT INTO BaseGroup (GroupNo, GroupName) VALUES (?, ?)", -1, &group, nullptr), db);
    check(sqlite3_prepare_v2(db, "INSERT INTO address (Address, AddressName, Times, ViewTime, GroupNo) VALUES (?, ?, 0, ?, ?)",
                             -1, &insert, nullptr),
          db);
    int groupNo = 1, count = 0;
    size_t pos = 0;
    char date[32];
    while ((pos = s.find('<', pos)) != std::string::npos) {
        size_t stop = 0;
        if (s.compare(pos, 3, "<H3") == 0) {
            const size_t text = s.find('>', pos) + 1;
            const std::string name = between(s, text, "</H3>", &stop);
            ++groupNo;
            sqlite3_bind_int(group, 1, groupNo);
            sqlite3_bind_text(group, 2, name.data(), int(name.size()), SQLITE_TRANSIENT);
            check(sqlite3_step(group), db);
            sqlite3_reset(group);
            pos = stop;
        } else if (s.compare(pos, 9, "<A HREF=\"") == 0) {
            std::string url = between(s, pos + 9, "\"", &stop);
            for (size_t amp; (amp = url.find("&amp;")) != std::string::npos;)
                url.replace(amp, 5, "&");
            if (url.compare(0, 7, "http://") == 0)
                url.erase(0, 7);
            if (!url.empty() && url.back() == '/')
                url.pop_back();
            const size_t dateAt = s.find("ADD_DATE=\"", stop) + 10;
            const time_t seconds = time_t(std::stoll(s.substr(dateAt, 12)));
            std::strftime(date, sizeof date, "%Y-%m-%d %H:%M:%S", std::localtime(&seconds));
            const std::string title = between(s, s.find('>', dateAt) + 1, "</A>", &stop);
            sqlite3_bind_text(insert, 1, url.data(), int(url.size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 2, title.data(), int(title.size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 3, date, -1, SQLITE_TRANSIENT);
            sqlite3_bind_int(insert, 4, groupNo);
            check(sqlite3_step(insert), db);
            sqlite3_reset(insert);
            ++count;
            pos = stop;
        } else {
            ++pos;
        }
    }
    check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db);
    sqlite3_finalize(group);
    sqlite3_finalize(insert);
    sqlite3_close(db);
    return count;
}

void appendEscaped(std::string &out, const unsigned char *text)
{
    for (; text && *text; ++text) {
        switch (*text) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += char(*text);
        }
    }
}

// The floor of the export: one query, the lines made by hand, one write.
size_t floorExport(const std::string &dbFile, const std::string &path)
{
    sqlite3 *db = nullptr;
    check(sqlite3_open(dbFile.c_str(), &db), db);
    sqlite3_stmt *rows = nullptr;
    check(sqlite3_prepare_v2(db, "SELECT g.GroupName, a.Address, a.AddressName, a.ViewTime FROM address a "
                                 "JOIN BaseGroup g ON g.GroupNo = a.GroupNo ORDER BY g.rowid, a.rowid",
                             -1, &rows, nullptr),
          db);
    std::string out = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; "
                      "charset=UTF-8\">\n<TITLE>Bookmarks</TITLE>\n<H1>Bookmarks</H1>\n<DL><p>\n";
    out.reserve(16 << 20);
    std::string group;
    bool open = false;
    while (sqlite3_step(rows) == SQLITE_ROW) {
        const char *name = reinterpret_cast<const char *>(sqlite3_column_text(rows, 0));
        if (!open || group != name) {
            if (open)
                out += "    </DL><p>\n";
            group = name;
            out += "    <DT><H3>";
            appendEscaped(out, sqlite3_column_text(rows, 0));
            out += "</H3>\n    <DL><p>\n";
            open = true;
        }
        const char *address = reinterpret_cast<const char *>(sqlite3_column_text(rows, 1));
        out += "        <DT><A HREF=\"";
        if (!std::strstr(address, "://"))
            out += "http://";
        appendEscaped(out, sqlite3_column_text(rows, 1));
        struct tm when = {};
        strptime(reinterpret_cast<const char *>(sqlite3_column_text(rows, 3)), "%Y-%m-%d %H:%M:%S", &when);
        when.tm_isdst = -1;
        const std::string seconds = std::to_string(mktime(&when));
        out += "\" ADD_DATE=\"" + seconds + "\" LAST_VISIT=\"" + seconds + "\">";
        appendEscaped(out, sqlite3_column_text(rows, 2));
        out += "</A>\n";
    }
    out += "    </DL><p>\n</DL><p>\n";
    sqlite3_finalize(rows);
    sqlite3_close(db);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || ::write(fd, out.data(), out.size()) != ssize_t(out.size()))
        std::exit(1);
    ::close(fd);
    return out.size();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString();
    const std::string file = folder + "/bookmarks.html";
    {
        const std::string content = makeFile();
        FILE *out = std::fopen(file.c_str(), "wb");
        std::fwrite(content.data(), 1, content.size(), out);
        std::fclose(out);
        std::printf("file: %d bookmarks in %d folders, %.1f MB\n", Bookmarks, Folders, double(content.size()) / 1e6);
    }

    int imported = 0;
    const double program = medianMs([&](int run) {
        DbConnection db(QStringLiteral("bench"));
        db.setDatabaseFile(QString::fromStdString(folder + "/program" + std::to_string(run) + ".mdb"));
        imported = ImportService::importFile(db, QString::fromStdString(file)).imported;
    });
    int floorCount = 0;
    const double floor = medianMs([&](int run) {
        floorCount = floorImport(file, folder + "/floor" + std::to_string(run) + ".mdb");
    });
    std::printf("import:  program %8.1f ms (%d rows)   floor %8.1f ms (%d rows)   ratio %.2f (target <= 3)\n", program,
                imported, floor, floorCount, program / floor);

    DbConnection db(QStringLiteral("export"));
    db.setDatabaseFile(QString::fromStdString(folder + "/program0.mdb"));
    int written = 0;
    const double exportMs = medianMs([&](int) {
        written = ExportService::exportTo(db, QString::fromStdString(folder + "/out.html"), ExportScope::all());
    });
    size_t bytes = 0;
    const double exportFloor = medianMs([&](int) { bytes = floorExport(folder + "/program0.mdb", folder + "/floor.html"); });
    QFile programOut(QString::fromStdString(folder + "/out.html"));
    programOut.open(QIODevice::ReadOnly);
    const QByteArray same = programOut.readAll();
    const double bareWrite = medianMs([&](int) {
        const int fd = ::open((folder + "/bare.html").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (::write(fd, same.constData(), size_t(same.size())) != same.size())
            std::exit(1);
        ::close(fd);
    });
    std::printf("export:  program %8.1f ms (%d rows, %lld bytes)   floor %8.1f ms (%zu bytes)   ratio %.2f (target <= 2)"
                "   bare write %.1f ms\n",
                exportMs, written, static_cast<long long>(same.size()), exportFloor, bytes, exportMs / exportFloor,
                bareWrite);

    const auto titled = [](const QByteArray &title) {
        return "<DL><DT><A HREF=\"https://a.example/\">" + title + "</A></DL>";
    };
    const QByteArray ampersands = titled(QByteArray(1 << 20, '&') + ';');
    const QByteArray references = titled(QByteArray("&amp;").repeated((1 << 20) / 5));
    const double ampersandMs = medianMs([&](int) { (void)NetscapeReader::read(ampersands, QStringLiteral("f")); });
    const double referencesMs = medianMs([&](int) { (void)NetscapeReader::read(references, QStringLiteral("f")); });
    std::printf("entities: 1 MB title of '&' %8.1f ms   of \"&amp;\" %8.1f ms   ratio %.2f (target <= 3)\n", ampersandMs,
                referencesMs, ampersandMs / referencesMs);
    return 0;
}
