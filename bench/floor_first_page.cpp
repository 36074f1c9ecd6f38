// The floor of reading the first screen of the address list: the number of addresses and
// the first page of rows with their group names, and the names of the groups the tree shows,
// through the SQLite C API.
//   floor_first_page LIBRARY [TEXTS]
// LIBRARY is a plain library of the benchmark data (no program of ours made it). TEXTS, when
// given, receives the texts read, a line each: the number of groups' names, the names, then
// the rows' columns.
#include <sqlite3.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int PageRows = 50; // more than a maximised list shows
constexpr int TreeNames = 50;

int fail(sqlite3 *db)
{
    std::fprintf(stderr, "sqlite: %s\n", sqlite3_errmsg(db));
    return 1;
}

bool readTexts(sqlite3 *db, const char *sql, int limit, int columns, std::vector<std::string> &texts)
{
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK)
        return false;
    sqlite3_bind_int(statement, 1, limit);
    while (sqlite3_step(statement) == SQLITE_ROW) {
        for (int column = 0; column < columns; ++column) {
            const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(statement, column));
            texts.emplace_back(text ? text : "");
        }
    }
    return sqlite3_finalize(statement) == SQLITE_OK;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: floor_first_page LIBRARY [TEXTS]\n");
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
    std::vector<std::string> texts;
    if (!readTexts(db, "SELECT GroupName FROM BaseGroup ORDER BY GroupNo LIMIT ?", TreeNames, 1, texts))
        return fail(db);
    const size_t groupNames = texts.size();
    if (!readTexts(db,
                   "SELECT a.Address, a.AddressName, a.ViewTime, a.Times, a.MyAddress, g.GroupName "
                   "FROM address a LEFT JOIN BaseGroup g ON g.GroupNo = a.GroupNo ORDER BY a.rowid LIMIT ?",
                   PageRows, 6, texts))
        return fail(db);
    sqlite3_close(db);
    if (argc == 3) {
        FILE *out = std::fopen(argv[2], "w");
        if (!out)
            return 1;
        std::fprintf(out, "%zu\n", groupNames);
        for (const std::string &text : texts)
            std::fprintf(out, "%s\n", text.c_str());
        std::fclose(out);
    }
    std::printf("%lld rows, %zu texts read\n", rows, texts.size());
    return 0;
}
