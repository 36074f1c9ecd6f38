#pragma once

#include <QString>

class SqlSession;

// The address table keeps a copy of Address and AddressName with every letter's case
// folded (AddressFolded, AddressNameFolded), which the search compares with.
namespace FoldedColumns {

// The text as the folded columns hold it.
QString folded(const QString &text);
// Writes the folded columns of every row anew from Address and AddressName (a database
// from before those columns is upgraded so).
void refoldAll(SqlSession &db);

} // namespace FoldedColumns
