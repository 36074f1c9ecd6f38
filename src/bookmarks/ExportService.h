#pragma once

#include "data/DbConnection.h"
#include "data/ExportRows.h"

// Writes stored addresses to a Netscape bookmark file: a group "a / b" is the folder b
// inside the folder a, shared parents written once (the favourites: a single folder
// "收藏夹"). ADD_DATE and LAST_VISIT come from ViewTime.
namespace ExportService {

QByteArray render(DbConnection &db, const ExportScope &scope, int *count = nullptr);
// Writes the file whole or not at all (a device or a pipe, such as /dev/stdout, is
// written in place); gives the number of addresses written. Throws AppError, with the
// system's reason, when any write or the close fails, or when the database refuses.
int exportTo(DbConnection &db, const QString &file, const ExportScope &scope);

} // namespace ExportService
