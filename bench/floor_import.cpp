// The floor of importing a Netscape bookmark file: a plain scan of the file and the rows
// inserted through the SQLite C API in one transaction, the folded copies of the texts
// written too.
//   floor_import [--indexed] FILE.html LIBRARY
// LIBRARY is made anew with plain tables and no index; with --indexed the tables get the
// indexes a library of the program has, the trigram search index among them (SQLite's
// FTS5, filled in one statement after the rows, holding the whole fill in memory before it
// writes it out), so that the work is the program's own. Each folder becomes a group; an
// address loses a leading "http://" and a final "/"; the five named references are
// decoded; ADD_DATE is stored as "YYYY-MM-DD HH:MM:SS" local time with the offset of the
// zone read once. The fold lowers ASCII letters only: every other letter of the benchmark
// data is Chinese, which has no case.
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <string_view>

namespace {

sqlite3 *db = nullptr;

void check(int rc)
{
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
        std::fprintf(stderr, "sqlite: %s\n", sqlite3_errmsg(db));
        std::exit(1);
    }
}

void decodeInto(std::string &out, std::string_view text)
{
    out.clear();
    static const std::pair<std::string_view, char> named[] = {
        {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&') {
            bool found = false;
            for (const auto &[entity, c] : named) {
                if (text.substr(i, entity.size()) == entity) {
                    out += c;
                    i += entity.size() - 1;
                    found = true;
                    break;
                }
            }
            if (found)
                continue;
        }
        out += text[i];
    }
}

void foldInto(std::string &out, const std::string &text)
{
    out = text;
    for (char &c : out)
        if (c >= 'A' && c <= 'Z')
            c = char(c + 32);
}

// The civil date of a day number since 1970-01-01 (Howard Hinnant's algorithm).
void civilFromDays(long long z, int &y, unsigned &m, unsigned &d)
{
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = unsigned(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = int(yoe + era * 400 + (m <= 2));
}

void formatTime(char (&out)[64], long long seconds)
{
    const long long days = seconds >= 0 ? seconds / 86400 : (seconds - 86399) / 86400;
    const long long inDay = seconds - days * 86400;
    int y;
    unsigned m, d;
    civilFromDays(days, y, m, d);
    std::snprintf(out, sizeof out, "%04d-%02u-%02u %02lld:%02lld:%02lld", y, m, d, inDay / 3600, inDay / 60 % 60,
                  inDay % 60);
}

std::string_view until(std::string_view s, size_t from, std::string_view end, size_t *stop)
{
    const size_t at = s.find(end, from);
    *stop = at == std::string_view::npos ? s.size() : at;
    return s.substr(from, *stop - from);
}

} // namespace

int main(int argc, char **argv)
{
    const bool indexed = argc == 4 && std::strcmp(argv[1], "--indexed") == 0;
    if (argc != 3 && !indexed) {
        std::fprintf(stderr, "usage: floor_import [--indexed] FILE.html LIBRARY\n");
        return 2;
    }
    argv += indexed ? 1 : 0;
    std::string content;
    {
        FILE *in = std::fopen(argv[1], "rb");
        if (!in) {
            std::perror(argv[1]);
            return 1;
        }
        std::fseek(in, 0, SEEK_END);
        content.resize(size_t(std::ftell(in)));
        std::fseek(in, 0, SEEK_SET);
        if (std::fread(content.data(), 1, content.size(), in) != content.size())
            return 1;
        std::fclose(in);
    }
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    const long offset = local.tm_gmtoff;

    std::remove(argv[2]);
    check(sqlite3_open(argv[2], &db));
    // Every page of the transaction stays in memory until the commit.
    check(sqlite3_exec(db, "PRAGMA cache_size = -262144", nullptr, nullptr, nullptr));
    check(sqlite3_exec(db,
                       "CREATE TABLE BaseGroup (GroupNo INTEGER NOT NULL, GroupName TEXT NOT NULL);"
                       "CREATE TABLE address (Address TEXT, AddressName TEXT, Times INTEGER NOT NULL DEFAULT 0, "
                       "ViewTime TEXT, GroupNo INTEGER, MyAddress INTEGER NOT NULL DEFAULT 0, "
                       "AddressFolded TEXT NOT NULL DEFAULT '', AddressNameFolded TEXT NOT NULL DEFAULT '');",
                       nullptr, nullptr, nullptr));
    if (indexed)
        check(sqlite3_exec(db,
                           "CREATE INDEX address_by_address ON address(Address);"
                           "CREATE INDEX address_by_group ON address(GroupNo);"
                           "CREATE INDEX basegroup_by_name ON BaseGroup(GroupName);"
                           "CREATE VIRTUAL TABLE address_search USING fts5(AddressFolded, AddressNameFolded, "
                           "tokenize = 'trigram', detail = none, content = 'address')",
                           nullptr, nullptr, nullptr));
    check(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr));
    sqlite3_stmt *group = nullptr, *insert = nullptr;
    check(sqlite3_prepare_v2(db, "INSERT INTO BaseGroup (GroupNo, GroupName) VALUES (?, ?)", -1, &group, nullptr));
    check(sqlite3_prepare_v2(db,
                             "INSERT INTO address (Address, AddressName, Times, ViewTime, GroupNo, AddressFolded, "
                             "AddressNameFolded) VALUES (?, ?, 0, ?, ?, ?, ?)",
                             -1, &insert, nullptr));
    const std::string_view s = content;
    int groupNo = 1, count = 0;
    std::string url, title, name, urlFolded, titleFolded;
    char date[64];
    size_t pos = 0;
    while ((pos = s.find('<', pos)) != std::string_view::npos) {
        size_t stop = 0;
        if (s.compare(pos, 3, "<H3") == 0) {
            decodeInto(name, until(s, s.find('>', pos) + 1, "</H3>", &stop));
            check(sqlite3_bind_int(group, 1, ++groupNo));
            check(sqlite3_bind_text(group, 2, name.data(), int(name.size()), SQLITE_STATIC));
            check(sqlite3_step(group));
            sqlite3_reset(group);
            pos = stop;
        } else if (s.compare(pos, 9, "<A HREF=\"") == 0) {
            decodeInto(url, until(s, pos + 9, "\"", &stop));
            if (url.compare(0, 7, "http://") == 0)
                url.erase(0, 7);
            if (!url.empty() && url.back() == '/')
                url.pop_back();
            const size_t dateAt = s.find("ADD_DATE=\"", stop) + 10;
            formatTime(date, std::strtoll(s.data() + dateAt, nullptr, 10) + offset);
            decodeInto(title, until(s, s.find('>', dateAt) + 1, "</A>", &stop));
            foldInto(urlFolded, url);
            foldInto(titleFolded, title);
            check(sqlite3_bind_text(insert, 1, url.data(), int(url.size()), SQLITE_STATIC));
            check(sqlite3_bind_text(insert, 2, title.data(), int(title.size()), SQLITE_STATIC));
            check(sqlite3_bind_text(insert, 3, date, -1, SQLITE_STATIC));
            check(sqlite3_bind_int(insert, 4, groupNo));
            check(sqlite3_bind_text(insert, 5, urlFolded.data(), int(urlFolded.size()), SQLITE_STATIC));
            check(sqlite3_bind_text(insert, 6, titleFolded.data(), int(titleFolded.size()), SQLITE_STATIC));
            check(sqlite3_step(insert));
            sqlite3_reset(insert);
            ++count;
            pos = stop;
        } else {
            ++pos;
        }
    }
    sqlite3_finalize(group);
    sqlite3_finalize(insert);
    if (indexed)
        check(sqlite3_exec(db,
                           "INSERT INTO address_search (address_search, rank) VALUES ('hashsize', 67108864);"
                           "INSERT INTO address_search (rowid, AddressFolded, AddressNameFolded) "
                           "SELECT rowid, AddressFolded, AddressNameFolded FROM address",
                           nullptr, nullptr, nullptr));
    check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr));
    sqlite3_close(db);
    std::printf("%d bookmarks\n", count);
    return 0;
}
