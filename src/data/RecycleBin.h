#pragma once

#include "data/DbConnection.h"
#include "data/GroupStore.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <vector>

struct MovedRows;

// The recycle bin: every address deleted, alone or with its group, is kept in a table of
// the library until it expires, is restored, or is deleted for good. On a server the bin
// is shared and tells who deleted each row. Every function throws AppError when the
// database refuses.
namespace RecycleBin {

constexpr int DefaultKeepDays = 30;

// How many days a deleted address is kept: the `RecycleDays` setting, read once, unless
// set here first; 0 keeps nothing.
void setKeepDays(int days);
int keepDays();
// The setting as read from the settings files; the default where it is missing or not a
// whole number of days.
int keepDaysSetting();

// Puts the address rows that `where` picks (columns of table `address` named with the
// alias `a`) into the bin, before the caller deletes them. Nothing when keepDays() is 0.
// Given `moved` (see deleteReportsRows()), tells it each row copied as a row deleted from
// the address table and a row added to the bin, by key and digest (MovedRows): the caller
// then deletes exactly these rows in the same transaction, its tables locked.
void keep(DbConnection &db, const QString &where, const QVariantList &values, MovedRows *moved = nullptr);

// Deletes the group and all its addresses (kept in the bin), in one transaction. Given
// `moved` (where deleteReportsRows()), it is told each address row moved into the bin.
GroupStore::GroupChange deleteGroupWithAddresses(DbConnection &db, const QString &name, MovedRows *moved = nullptr);

// Whether keep() and restore() can report the rows they move (MovedRows): where the
// engine's statements give back the rows they write (and, for keep(), the bin keeps rows).
bool deleteReportsRows(const DbConnection &db);
bool restoreReportsRows(const DbConnection &db);

struct Entry
{
    qint64 id = 0;
    QString deletedAt; // "YYYY-MM-DD HH:MM:SS", local time
    QString deletedBy; // "login@host" on a server, else empty
    QString groupName;
    int groupNo = 0;
    QString address;
    QString name;
    qint64 times = 0;
    QString viewTime; // as stored
    bool favourite = false;
};

// Conditions on the bin's `Id` that together pick exactly these ids, each binding at most
// `limit` values: runs of following ids become ranges, so that a long choice (every row of
// a deleted group) stays a few short statements. Ascending; none for no id.
struct IdCondition
{
    QString sql;
    QVariantList values;
};
std::vector<IdCondition> idConditions(QList<qint64> ids, int limit = 500);

// Newest deletion first.
std::vector<Entry> list(DbConnection &db);

// Puts the rows back into their group (made again, with its number where still free, when
// it is gone) at their old place where still free, in one transaction. Ids not in the bin
// are left out; gives the rows restored. Where restoreReportsRows(), `moved` (when given)
// is told each row of the bin deleted and each address row stored.
int restore(DbConnection &db, const QList<qint64> &ids, MovedRows *moved = nullptr);
// Deletes these rows of the bin for good; gives the rows deleted.
int purge(DbConnection &db, const QList<qint64> &ids);
// Deletes every row of the bin; gives the rows deleted.
int empty(DbConnection &db);
// Deletes the rows deleted more than `days` days before `now` (every row when `days` is
// 0); gives the rows dropped.
int dropExpired(DbConnection &db, int days, const QDateTime &now = QDateTime::currentDateTime());

} // namespace RecycleBin
