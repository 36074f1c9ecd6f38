#pragma once

#include "data/DbConnection.h"

#include <QStringList>

// The search history (`Search`): every search text with its day; `Sort_No` grows with
// each insert. Every function throws AppError when the database refuses.
namespace SearchStore {

void save(DbConnection &db, const QString &text);
// Newest first.
QStringList history(DbConnection &db);
int count(DbConnection &db);
// Deletes the `n` oldest entries.
void deleteOldest(DbConnection &db, int n);

} // namespace SearchStore
