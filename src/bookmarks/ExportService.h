#pragma once

#include "data/DbConnection.h"
#include "data/ExportRows.h"

// Writes stored addresses to a Netscape bookmark file, one folder per group (a single
// folder "收藏夹" for the favourites). ADD_DATE and LAST_VISIT come from ViewTime.
namespace ExportService {

QByteArray render(DbConnection &db, const ExportScope &scope, int *count = nullptr);
// Writes the file whole or not at all; gives the number of addresses written. Throws
// AppError when the file cannot be written or the database refuses.
int exportTo(DbConnection &db, const QString &file, const ExportScope &scope);

} // namespace ExportService
