#pragma once

#include <QStringList>

class SqlEngine;

// The tables and views of the address database, its one required group, and the steps
// that bring a file of an older version up to date.
namespace Schema {

// Version of the tables this program reads and writes. 0 is a file from before the
// folded search columns; 1 from before the stored link checks.
constexpr int Version = 2;

// Group that receives imported favourites; it must exist in every database.
inline const QString ImportGroup = QStringLiteral("IE收藏夹");

// The program's own tables; a file holding only some of them is not ours to change.
QStringList tableNames();

// Creates a database of the current version on this engine.
QStringList statements(const SqlEngine &engine);
// The same for an SQLite file.
QStringList statements();

// Changes the tables of a file of version `from` to version `from + 1`. Filling new
// columns from the stored rows is the caller's part.
QStringList upgradeStatements(int from);

} // namespace Schema
