#pragma once

// Address rows for the benchmarks, made up deterministically from their number so that
// every run and every benchmark sees the same data.
//
// Realistic rows look like converted and imported data: every row has its own date and
// time, addresses are 20 to 200 characters long, a third of the names are Chinese.
// Legacy rows are the benchmarks' earlier data: short addresses of one shape, mixed names
// and 336 distinct dates without a time; they show what a date cache alone can absorb.

#include <QString>

#include <sqlite3.h>
#include <string>
#include <vector>

namespace BenchData {

enum class Kind { Realistic, Legacy };

constexpr int Groups = 20;

struct Row
{
    std::string address;
    std::string name;
    std::string viewTime; // as stored: "YYYY-MM-DD" or "YYYY-MM-DD HH:MM:SS"
    int times = 0;
    int groupNo = 1;
    bool favourite = false;
};

const char *kindName(Kind kind);

// Row `index` of a table of `count` rows (the count spreads the date-times evenly).
Row row(Kind kind, int index, int count);
// The names of groups 1 .. Groups.
std::vector<std::string> groupNames();

// Replaces the groups and adds `count` rows to an address database that already has the
// program's tables, with the SQLite C API in one transaction. Exits on failure.
void seed(const QString &file, int count, Kind kind);

// Steps a prepared statement to its end and copies the first `columns` texts of every row
// into strings: what a floor does with the rows it reads. NULL reads as empty.
std::vector<std::string> stepTexts(sqlite3_stmt *query, int columns);

// Points HOME and the XDG folders into `folder` and shuts out the system's settings, so that
// a benchmark never reads or writes the user's library; the offscreen platform unless one is
// set. Call before the application object exists.
void useOwnHome(const QString &folder);

} // namespace BenchData
