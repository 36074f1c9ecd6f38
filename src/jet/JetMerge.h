#pragma once

#include "data/DbConnection.h"
#include "jet/JetReader.h"

#include <QString>

// Merges a Jet address file into a database in use, in one transaction:
// - groups are matched by name; a new one gets the next free number;
// - an address whose group number names no group of the file goes to "未分组";
// - an address already in its target group (the same key, see addressKey()) is skipped,
//   also when the file itself holds it twice;
// - the search history is appended after the database's own.
namespace JetMerge {

// A stored group name, the same in every language, so that a second merge finds it.
inline const QString UngroupedName = QStringLiteral("未分组");

struct Result
{
    int groupsCreated = 0;
    qint64 addressesImported = 0;
    qint64 addressesSkipped = 0;
    qint64 searchesAppended = 0;
};

// Throws AppError; then the database is as it was.
Result merge(DbConnection &db, const QString &jetFile, const JetReader::Options &options = {});

// The one line the command line prints: "4 groups, 9 addresses imported, 0 skipped".
QString summary(const Result &result);

} // namespace JetMerge
