#pragma once

#include <QStringList>

class SqlEngine;

// The tables and views of the address database, its one required group, and the steps
// that bring a file of an older version up to date.
namespace Schema {

// Version of the tables this program reads and writes. 0 is a file from before the
// folded search columns, 1 one from before the search index (and, on SQLite, before the
// column that names each address's row key), 2 one from before the stored link checks,
// 3 one from before the recycle bin, 4 one from before the index of unfolded rows.
constexpr int Version = 5;

// The rows whose folded copies are missing (written by another program); an index keeps
// exactly these rows, and a query finds them through it only with this very condition.
inline const QString UnfoldedCondition =
    QStringLiteral("(AddressFolded = '' AND Address <> '') OR (AddressNameFolded = '' AND AddressName <> '')");

// Group that receives imported favourites; it must exist in every database. A stored
// name, the same in every language.

inline const QString ImportGroup = QStringLiteral("IE收藏夹");

// The table keeping deleted addresses until they expire or are restored.
inline const QString RecycleBinTable = QStringLiteral("RecycleBin");

// The program's own tables; a file holding only some of them is not ours to change.
QStringList tableNames();

// Creates a database of the current version on this engine.
QStringList statements(const SqlEngine &engine);
// The same for an SQLite file.
QStringList statements();

// Changes the tables of a database of version `from` on this engine to version
// `from + 1`. Filling the folded columns from the stored texts is the caller's part.
QStringList upgradeStatements(const SqlEngine &engine, int from);

} // namespace Schema
