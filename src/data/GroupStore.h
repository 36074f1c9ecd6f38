#pragma once

#include "data/DbConnection.h"

#include <QStringList>
#include <optional>

struct MovedRows;

// Statements on the address groups (`BaseGroup`). Groups are looked up by name; the
// first matching row wins. Every function throws AppError when the database refuses.
namespace GroupStore {

enum class GroupChange { Done, NameExists, NotFound };

struct Group
{
    int number = 0;
    QString name;
};

QStringList groupNames(DbConnection &db);
// Every group with its number, in the order groupNames() gives them.
QList<Group> groups(DbConnection &db);
std::optional<int> groupNoOf(DbConnection &db, const QString &name);
// Number for a new group: the highest number plus 1, or 1 when there is no group.
int nextGroupNo(DbConnection &db);
GroupChange addGroup(DbConnection &db, const QString &name);
GroupChange renameGroup(DbConnection &db, const QString &oldName, const QString &newName);
// Deletes the group and all its addresses (kept in the recycle bin), in one transaction.
// Given `moved` (where RecycleBin::deleteReportsRows()), it is told each address row moved
// into the bin.
GroupChange deleteGroupWithAddresses(DbConnection &db, const QString &name, MovedRows *moved = nullptr);

} // namespace GroupStore
