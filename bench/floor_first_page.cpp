// The floor of reading the first screen of the address list: the number of addresses and
// the first page of rows with their group names, through the SQLite C API.
//   floor_first_page LIBRARY
// LIBRARY is a plain library of the benchmark data (no program of ours made it).
#include <sqlite3.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int PageRows = 50; // more than a maximised list shows

int fail(sqlite3 *db)
{
    std::fprintf(stderr, "sqlite: %s\n", sqlite3_errmsg(db));
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: floor_first_page LIBRARY\n");
        return 2;
    }
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(argv[1], &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
        return fail(db);
    sqlite3_stmt *count = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT count(*) FROM address", -1, &count, nullptr) != SQLITE_OK
        || sqlite3_step(count) != SQLITE_ROW)
        return fail(db);
    const long long rows = sqlite3_column_int64(count, 0);
    sqlite3_finalize(count);
    sqlite3_stmt *page = nullptr;
    if (sqlite3_prepare_v2(db,
                           "SELECT a.Address, a.AddressName, a.ViewTime, a.Times, a.MyAddress, g.GroupName "
                           "FROM address a LEFT JOIN BaseGroup g ON g.GroupNo = a.GroupNo ORDER BY a.rowid LIMIT ?",
                           -1, &page, nullptr)
        != SQLITE_OK)
        return fail(db);
    sqlite3_bind_int(page, 1, PageRows);
    std::vector<std::string> texts;
    while (sqlite3_step(page) == SQLITE_ROW) {
        for (int column = 0; column < 6; ++column) {
            const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(page, column));
            texts.emplace_back(text ? text : "");
        }
    }
    sqlite3_finalize(page);
    sqlite3_close(db);
    std::printf("%lld rows, %zu texts read\n", rows, texts.size());
    return 0;
}
