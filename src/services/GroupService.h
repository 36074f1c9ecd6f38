#pragma once

#include "data/DbConnection.h"
#include "services/Outcome.h"

struct MovedRows;

// Adding, renaming and deleting address groups. Every function catches the data layer's
// errors and gives them as its outcome.
namespace GroupService {

// Refusal of a new or renamed group whose name is stored already.
QString nameExistsText();

// Whether a group of this name may be renamed: blank names and the import group, which the
// import writes into, may not.
bool mayRename(const QString &name);

// Done with count 1. Refused with no text for a blank name, nameExistsText() for a stored one.
Outcome add(DbConnection &db, const QString &name);
// Done with count 1. Refused with no text for a blank new name or a group that may not be
// renamed, nameExistsText() when another group bears the new name. Failed when no group

// bears the old name.
Outcome rename(DbConnection &db, const QString &oldName, const QString &newName);
// Deletes the group and all its addresses in one transaction. Done with count 1, or count
// 0 when there was no such group (nothing left to delete). `moved` as for
// RecycleBin::deleteGroupWithAddresses().
Outcome remove(DbConnection &db, const QString &name, MovedRows *moved = nullptr);

} // namespace GroupService
