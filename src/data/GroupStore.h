#pragma once

#include "data/DbConnection.h"

#include <QStringList>
#include <optional>

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

} // namespace GroupStore
