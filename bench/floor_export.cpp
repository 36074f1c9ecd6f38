// The floor of exporting: every address of a plain library written as a Netscape bookmark
// file the plainest way, through the SQLite C API and writes of 1 MiB (one write of the
// whole file made the kernel's copy into the page cache many times slower in some runs).
//   floor_export LIBRARY OUT.html
// One statement in the export's order, each group a folder, texts escaped, an address
// without a scheme given "http://", dates from the stored "YYYY-MM-DD HH:MM:SS" as local
// time with the offset of the zone read once (no per-row time zone lookup).
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

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

// Days since 1970-01-01 of a civil date (Howard Hinnant's algorithm).
long long daysFromCivil(int y, int m, int d)
{
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = unsigned(y - era * 400);
    const unsigned doy = unsigned((153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1);
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

int number(const unsigned char *text, int count)
{
    int value = 0;
    for (int i = 0; i < count; ++i)
        value = value * 10 + (text[i] - '0');
    return value;
}

long long storedSeconds(const unsigned char *text, long offset)
{
    if (!text || std::strlen(reinterpret_cast<const char *>(text)) != 19)
        return 0;
    return daysFromCivil(number(text, 4), number(text + 5, 2), number(text + 8, 2)) * 86400
        + number(text + 11, 2) * 3600 + number(text + 14, 2) * 60 + number(text + 17, 2) - offset;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: floor_export LIBRARY OUT.html\n");
        return 2;
    }
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    const long offset = local.tm_gmtoff;

    sqlite3 *db = nullptr;
    sqlite3_stmt *rows = nullptr;
    if (sqlite3_open_v2(argv[1], &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK
        || sqlite3_prepare_v2(db,
                              "SELECT g.GroupName, a.Address, a.AddressName, a.ViewTime FROM address a "
                              "JOIN BaseGroup g ON g.GroupNo = a.GroupNo ORDER BY g.rowid, a.rowid",
                              -1, &rows, nullptr)
            != SQLITE_OK) {
        std::fprintf(stderr, "sqlite: %s\n", sqlite3_errmsg(db));
        return 1;
    }
    std::string out = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"
                      "<!-- This is an automatically generated file.\n"
                      "     It will be read and overwritten.\n"
                      "     DO NOT EDIT! -->\n"
                      "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n"
                      "<TITLE>Bookmarks</TITLE>\n<H1>Bookmarks</H1>\n<DL><p>\n";
    out.reserve(32 << 20);
    std::string group;
    bool open = false;
    int count = 0;
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
        const unsigned char *address = sqlite3_column_text(rows, 1);
        out += "        <DT><A HREF=\"";
        if (!std::strstr(reinterpret_cast<const char *>(address), "://"))
            out += "http://";
        appendEscaped(out, address);
        const std::string seconds = std::to_string(storedSeconds(sqlite3_column_text(rows, 3), offset));
        out += "\" ADD_DATE=\"" + seconds + "\" LAST_VISIT=\"" + seconds + "\">";
        appendEscaped(out, sqlite3_column_text(rows, 2));
        out += "</A>\n";
        ++count;
    }
    if (open)
        out += "    </DL><p>\n";
    out += "</DL><p>\n";
    sqlite3_finalize(rows);
    sqlite3_close(db);
    const int fd = ::open(argv[2], O_WRONLY | O_CREAT | O_TRUNC, 0644);
    bool written = fd >= 0;
    for (size_t done = 0; written && done < out.size();) {
        const ssize_t n = ::write(fd, out.data() + done, std::min(out.size() - done, size_t(1) << 20));
        written = n > 0;
        done += written ? size_t(n) : 0;
    }
    if (!written || ::close(fd) != 0) {
        std::perror(argv[2]);
        return 1;
    }
    std::printf("%d bookmarks, %zu bytes\n", count, out.size());
    return 0;
}
