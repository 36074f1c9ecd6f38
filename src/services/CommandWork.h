#pragma once

#include "bookmarks/ImportService.h"
#include "data/DatabaseCopy.h"
#include "data/DbConnection.h"
#include "data/LibraryLocation.h"
#include "data/RecycleBin.h"
#include "jet/JetMerge.h"
#include "services/Fetched.h"

#include <vector>

// The library work of the command-line commands and of the start, each giving its result
// with the outcome instead of throwing: the front end prints or shows what went wrong.
namespace CommandWork {

// Points the connection at the library the settings name; with `create`, opens it too,
// which creates a library when there is none yet.
Outcome openLibrary(DbConnection &db, bool create);
// The library a text names (a file, or a server's URI); a malformed URI is refused with
// what is wrong with it, blamed on `origin`.
Fetched<LibraryLocation> parseLocation(const QString &text, const QString &origin);
// Reads a bookmark file into the library.
Fetched<ImportReport> importBookmarks(DbConnection &db, const QString &file);
// Whether a group of that name is stored.
Fetched<bool> groupExists(DbConnection &db, const QString &group);
// Copies every row of one library into another.
Fetched<DatabaseCopy::Result> copyLibrary(DbConnection &from, DbConnection &to);
// Merges the rows of an old (Jet) data file into the library.
Fetched<JetMerge::Result> mergeJetFile(DbConnection &db, const QString &jetFile);
// Converts the old (Jet) data file into the program's own format, keeping the original.
Outcome convertJetFile(const QString &file);
// What the recycle bin keeps, and the rows it kept longer than the settings allow dropped.
Fetched<std::vector<RecycleBin::Entry>> binEntries(DbConnection &db);
Outcome dropExpiredDeletions(DbConnection &db);

} // namespace CommandWork
