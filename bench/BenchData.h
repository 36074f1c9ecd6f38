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

// The plain files the floors read, made of `count` realistic rows without the program:
// - a library with only the tables BaseGroup (GroupNo, GroupName) and address (Address,
//   AddressName, Times, ViewTime, GroupNo, MyAddress), and one index on address(GroupNo)
//   that a count can use; no folded copies, no search index, no other column;
// - a Netscape bookmark file: one folder per group holding its rows in order, each
//   bookmark dated (ADD_DATE) by its ViewTime read as UTC.
// Both exit on failure.
void writePlainLibrary(const std::string &file, int count);
void writeBookmarkFile(const std::string &file, int count);

// Steps a prepared statement to its end and copies the first `columns` texts of every row
// into strings: what a floor does with the rows it reads. NULL reads as empty.
std::vector<std::string> stepTexts(sqlite3_stmt *query, int columns);

// One finished process: its wall time and the peak resident memory of it.
struct ProcessRun
{
    double ms = 0;
    double peakMb = 0;
    int exitCode = -1;
};
// Starts `arguments` (the executable's path first) with its output thrown away and waits
// for it to end.
ProcessRun runProcess(const std::vector<std::string> &arguments);
double median(std::vector<double> values);
// "median (min–max)" with one decimal.
std::string spread(std::vector<double> values);

// Points HOME and the XDG folders into `folder` and shuts out the system's settings, so that
// a benchmark never reads or writes the user's library; the offscreen platform unless one is
// set. Call before the application object exists.
void useOwnHome(const QString &folder);

} // namespace BenchData
